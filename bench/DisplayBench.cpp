// Prints what the main dialog's progress display costs a copy. On Windows the system's copy
// routine calls the progress routine once per 64 KiB chunk (Wine never calls it), so a worker
// thread here calls the tool's CopyProgress as Windows would for a 1 GiB file: once at the
// start of the stream, then 16,384 times stepping by 64 KiB. Meanwhile the real main dialog
// (template 108, with its progress bar) lives on the main thread, which runs a normal message
// loop, as the tool's does during a run. The figure is set against the time CopyFileExW takes
// for the same bytes with no progress routine, on the same machine.
//
//   display_bench <source file of exactly 1 GiB> <destination file>
//
// Prints copy_ms, display_ms (the calls, from the first to the end of the last), the dialog
// thread's processor time during the calls, and whether the dialog ended showing all the bytes.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "Stopwatch.h"
#include "app/AppState.h"
#include "norvane/ui/CNorvaneDlg.h"
#include "norvane/CopyProgress.h"
#include "norvane/ui/ShowCopyDisplay.h"
#include "resource.h"

namespace {
constexpr uint64_t kFileBytes = 1ull << 30;
constexpr uint64_t kChunkBytes = 64 * 1024;
constexpr DWORD kCallsLimitMs = 300000;
constexpr DWORD kSettleMs = 300;

constexpr UINT_PTR kDisplayTimer = 1;
constexpr UINT kDisplayIntervalMs = 50;

// What the worker does around the reports of a file: the counts start from zero, and at the end
// it has the dialog show the final figures at once, so they are on screen when the timing stops.
void BeforeRun(AppState& state) {
    state.copiedBytes = 0;
    state.fileBytesSeen = 0;
}
void AfterRun(AppState& state) {
    ::SendMessageW(static_cast<HWND>(state.mainDialog), kShowCopyDisplayMessage, 0, 0);
}

// The dialog shows the copy as the tool's main dialog does during a run: the newest recorded
// values at the timer's pace and when the worker asks. Its commands belong to the tool.
CopyDisplay::View g_shown;
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM first, LPARAM) {
    if ((message == WM_TIMER && first == kDisplayTimer) || message == kShowCopyDisplayMessage) {
        ShowCopyDisplay(dialog, g_appState, g_shown);
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

struct Calls {
    AppState* state;
    double elapsedMs;
};

DWORD WINAPI ReportLikeWindows(void* parameter) {
    auto& calls = *static_cast<Calls*>(parameter);
    AppState& state = *calls.state;
    Stopwatch clock;
    BeforeRun(state);
    CopyProgress(0, &state);
    for (uint64_t copied = kChunkBytes; copied <= kFileBytes; copied += kChunkBytes) {
        CopyProgress(copied, &state);
    }
    AfterRun(state);
    calls.elapsedMs = clock.ElapsedMs();
    return 0;
}

void Dispatch(HWND dialog) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!::IsDialogMessageW(dialog, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

// Serves the dialog's messages until the object is signalled or the time is up.
bool PumpUntil(HWND dialog, HANDLE object, DWORD limitMs) {
    Stopwatch waited;
    while (waited.ElapsedMs() < limitMs) {
        DWORD woke = ::MsgWaitForMultipleObjects(object ? 1 : 0, &object, FALSE, 50, QS_ALLINPUT);
        if (object && woke == WAIT_OBJECT_0) return true;
        Dispatch(dialog);
    }
    return false;
}

double ThreadCpuMs(HANDLE thread) {
    FILETIME created, ended, kernel, user;
    if (!::GetThreadTimes(thread, &created, &ended, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME& time) {
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e4;
}

std::wstring ControlText(HWND dialog, int id) {
    wchar_t text[64] = {};
    ::GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

bool TimeCopy(const wchar_t* source, const wchar_t* destination, double& elapsedMs) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(source, GetFileExInfoStandard, &data) ||
        ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) != kFileBytes) {
        std::fprintf(stderr, "display_bench: the source must be a file of exactly 1 GiB\n");
        return false;
    }
    ::DeleteFileW(destination);
    Stopwatch clock;
    BOOL copied = ::CopyFileExW(source, destination, nullptr, nullptr, nullptr, 0);
    elapsedMs = clock.ElapsedMs();
    ::DeleteFileW(destination);
    if (!copied) std::fprintf(stderr, "display_bench: the copy failed, %lu\n", ::GetLastError());
    return copied != FALSE;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: display_bench <source file of 1 GiB> <destination file>\n", stderr);
        return 2;
    }
    double copyMs = 0;
    if (!TimeCopy(argv[1], argv[2], copyMs)) return 1;

    // As the tool does at start-up: the progress bar's class must exist before dialog 108.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    HWND dialog = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN),
                                       nullptr, DialogProc, 0);
    if (!dialog) {
        std::fprintf(stderr, "display_bench: no main dialog, error %lu\n", ::GetLastError());
        return 1;
    }
    ::SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::ShowWindow(dialog, SW_SHOW);
    ::UpdateWindow(dialog);
    PumpUntil(dialog, nullptr, kSettleMs);  // shown and painted before the clock starts

    AppState& state = g_appState;
    state.mainDialog = dialog;
    state.totalBytes = kFileBytes;
    Calls calls{&state, 0};
    double dialogCpuBefore = ThreadCpuMs(::GetCurrentThread());
    ::SetTimer(dialog, kDisplayTimer, kDisplayIntervalMs, nullptr);
    HANDLE worker = ::CreateThread(nullptr, 0, ReportLikeWindows, &calls, 0, nullptr);
    if (!worker || !PumpUntil(dialog, worker, kCallsLimitMs)) {
        std::fprintf(stderr, "display_bench: the progress calls did not end\n");
        return 1;
    }
    double dialogCpuMs = ThreadCpuMs(::GetCurrentThread()) - dialogCpuBefore;
    ::CloseHandle(worker);
    PumpUntil(dialog, nullptr, kSettleMs);  // anything deferred lands now

    std::wstring copied = ControlText(dialog, IDC_COPIED_BYTES);
    std::wstring percent = ControlText(dialog, IDC_PERCENT);
    LRESULT bar = ::SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_GETPOS, 0, 0);
    bool complete = copied == L"1,073,741,824" && percent == L"100 %" && bar == 100;
    ::DestroyWindow(dialog);

    std::printf("copy_ms %.3f\n", copyMs);
    std::printf("display_ms %.3f\n", calls.elapsedMs);
    std::printf("display_calls %llu\n",
                1 + static_cast<unsigned long long>(kFileBytes / kChunkBytes));
    std::printf("dialog_thread_cpu_ms %.3f\n", dialogCpuMs);
    std::printf("display_final %s\n", complete ? "complete" : "INCOMPLETE");
    return complete ? 0 : 1;
}
