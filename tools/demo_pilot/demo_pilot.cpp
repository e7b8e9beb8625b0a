// Drives the running tool for the demo: waits for its dialogs, presses its buttons, waits for a
// control's text, and readies a dialog for a screenshot. Each call does one step, so a script can
// take screenshots in between.
//   demo_pilot wait-main | press <control id> | wait-text <control id> <text>
//   demo_pilot catch-wait   holds the tool while its wait dialog shows, painted and on the
//                           screen; prints "GEOMETRY THREAD"
//   demo_pilot resume <thread> lets the held tool go on
//   demo_pilot front        the main dialog in front and uncovered; prints "GEOMETRY"
// GEOMETRY is the dialog's rectangle on the screen as an image crop: WIDTHxHEIGHT+X+Y.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
constexpr int kStartButton = 1049;

struct Search {
    bool wantMain;
    HWND found = nullptr;
};

bool IsToolDialog(HWND window, bool main) {
    wchar_t className[64] = {};
    wchar_t caption[64] = {};
    ::GetClassNameW(window, className, 64);
    ::GetWindowTextW(window, caption, 64);
    // Both dialogs are captioned "Norvane"; only the main one has a Start button.
    return std::wcscmp(className, L"#32770") == 0 && std::wcscmp(caption, L"Norvane") == 0 &&
           ::IsWindowVisible(window) && (::GetDlgItem(window, kStartButton) != nullptr) == main;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (!IsToolDialog(window, search->wantMain)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindToolDialog(bool main) {
    Search search{main};
    ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK FindMainDialogOf(HWND window, LPARAM data) {
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wcscmp(className, L"#32770") != 0 || ::GetDlgItem(window, kStartButton) == nullptr) {
        return TRUE;
    }
    *reinterpret_cast<bool*>(data) = true;
    return FALSE;
}

// The tool creates its main dialog, hidden, only once its wait dialog has painted all of
// itself, and prepares before showing it: while that dialog exists unseen, the wait dialog is
// complete. A control's update region alone does not tell: it is emptied when the control
// begins to paint, not when it is done.
bool HasMainDialog(DWORD thread) {
    bool found = false;
    ::EnumThreadWindows(thread, FindMainDialogOf, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitForMainDialog(DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        if (HWND dialog = FindToolDialog(true)) return dialog;
        ::Sleep(100);
    }
    return nullptr;
}

std::wstring Text(HWND control) {
    wchar_t buffer[512] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer),
                          SMTO_ABORTIFHUNG, 2000, &ignored);
    return buffer;
}

// Wine draws a window into memory and sends the picture to the X server when a thread of the
// process next waits for messages, or at the end of a paint at least 50 ms after such a wait.
// The tool's preparation waits for nothing, so a picture painted just before it can stay off
// the screen until the main dialog shows. A thread of ours in the held tool that asks for a
// key's state sends every window's picture to the screen: Wine looks for input first.
bool ShowPaintedPicture(DWORD process) {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto* ours = reinterpret_cast<BYTE*>(::GetProcAddress(user32, "GetAsyncKeyState"));
    HANDLE modules = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, process);
    if (ours == nullptr || modules == INVALID_HANDLE_VALUE) return false;
    BYTE* theirs = nullptr;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Module32FirstW(modules, &entry); more;
         more = ::Module32NextW(modules, &entry)) {
        if (::lstrcmpiW(entry.szModule, L"user32.dll") == 0) {
            theirs = entry.modBaseAddr + (ours - reinterpret_cast<BYTE*>(user32));
            break;
        }
    }
    ::CloseHandle(modules);
    HANDLE tool = ::OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                    PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                FALSE, process);
    if (theirs == nullptr || tool == nullptr) {
        if (tool != nullptr) ::CloseHandle(tool);
        return false;
    }
    HANDLE thread =
        ::CreateRemoteThread(tool, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(theirs),
                             reinterpret_cast<void*>(VK_SHIFT), 0, nullptr);
    ::CloseHandle(tool);
    if (thread == nullptr) return false;
    // A held thread of the tool may hold a lock the new thread needs: then give up this time.
    const bool done = ::WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0;
    ::CloseHandle(thread);
    return done;
}

BOOL CALLBACK FindPendingPaint(HWND window, LPARAM data) {
    if (::IsWindowVisible(window) && ::GetUpdateRect(window, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(data) = true;
        return FALSE;
    }
    return TRUE;
}

// True when the dialog and every control in it have drawn themselves.
bool IsPainted(HWND dialog) {
    bool pending = ::GetUpdateRect(dialog, nullptr, FALSE) != FALSE;
    if (!pending) ::EnumChildWindows(dialog, FindPendingPaint, reinterpret_cast<LPARAM>(&pending));
    return !pending;
}

struct Uncover {
    DWORD toolProcess;
    RECT dialog;
};

// Moves another program's window (the launch document's) off the tool's dialog, to the
// screen's top left corner, narrowed to the room left of the dialog.
BOOL CALLBACK MoveAside(HWND window, LPARAM data) {
    const auto* uncover = reinterpret_cast<const Uncover*>(data);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    RECT rect{};
    RECT overlap{};
    if (process == uncover->toolProcess || !::IsWindowVisible(window) ||
        !::GetWindowRect(window, &rect) || !::IntersectRect(&overlap, &rect, &uncover->dialog)) {
        return TRUE;
    }
    const int width = uncover->dialog.left > 208 ? uncover->dialog.left - 8 : 200;
    const int height = rect.bottom - rect.top < 320 ? rect.bottom - rect.top : 320;
    ::SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void UncoverDialog(HWND dialog) {
    Uncover uncover{};
    ::GetWindowThreadProcessId(dialog, &uncover.toolProcess);
    ::GetWindowRect(dialog, &uncover.dialog);
    ::EnumWindows(MoveAside, reinterpret_cast<LPARAM>(&uncover));
}

void PrintGeometry(HWND dialog) {
    RECT rect{};
    ::GetWindowRect(dialog, &rect);
    std::printf("%ldx%ld+%ld+%ld", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                rect.top);
}

// Waits for the wait dialog, then holds the tool (its one thread, which prepares) while the
// dialog is on the screen, complete.
int CatchWaitDialog() {
    int missed = 0;
    for (DWORD started = ::GetTickCount(); ::GetTickCount() - started < 60000;) {
        HWND wait = FindToolDialog(false);
        if (wait == nullptr) {
            if (FindToolDialog(true) != nullptr) break;  // too late: the preparation is over
            continue;
        }
        DWORD process = 0;
        const DWORD threadId = ::GetWindowThreadProcessId(wait, &process);
        HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
        if (thread == nullptr) continue;
        // The main dialog lives for a few milliseconds before the preparation ends: no pause.
        while (!HasMainDialog(threadId) && ::IsWindowVisible(wait)) continue;
        ::SuspendThread(thread);
        if (::IsWindowVisible(wait) && IsPainted(wait) && ShowPaintedPicture(process)) {
            ::CloseHandle(thread);
            UncoverDialog(wait);
            PrintGeometry(wait);
            std::printf(" %lu\n", threadId);
            return 0;
        }
        ::ResumeThread(thread);
        ::CloseHandle(thread);
        ++missed;
    }
    std::fprintf(stderr, "demo_pilot: missed the wait dialog (caught too late %d times)\n", missed);
    return 1;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr,
                      L"usage: demo_pilot wait-main | press <id> | wait-text <id> <text> | "
                      L"catch-wait | resume <thread> | front\n");
        return 2;
    }
    std::wstring step = argv[1];
    if (step == L"catch-wait") return CatchWaitDialog();
    if (step == L"resume" && argc == 3) {
        HANDLE thread =
            ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, std::wcstoul(argv[2], nullptr, 10));
        if (thread == nullptr) return 1;
        ::ResumeThread(thread);
        ::CloseHandle(thread);
        return 0;
    }
    HWND dialog = WaitForMainDialog(60000);
    if (dialog == nullptr) {
        std::fwprintf(stderr, L"demo_pilot: the main dialog did not appear\n");
        return 1;
    }
    if (step == L"wait-main") return 0;
    if (step == L"front") {
        ::SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        UncoverDialog(dialog);
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        PrintGeometry(dialog);
        std::printf("\n");
        return 0;
    }
    if (step == L"press" && argc == 3) {
        ::PostMessageW(::GetDlgItem(dialog, std::wcstol(argv[2], nullptr, 10)), BM_CLICK, 0, 0);
        return 0;
    }
    if (step == L"wait-text" && argc == 4) {
        HWND control = ::GetDlgItem(dialog, std::wcstol(argv[2], nullptr, 10));
        for (int i = 0; i < 600; ++i) {
            if (Text(control) == argv[3]) return 0;
            ::Sleep(100);
        }
        std::fwprintf(stderr, L"demo_pilot: control %ls never read \"%ls\"\n", argv[2], argv[3]);
        return 1;
    }
    return 2;
}
