#include "norvane/ui/CNorvaneDlg.h"

#include <commctrl.h>

#include "reporting/Notice.h"
#include "reporting/Diagnostics.h"
#include "norvane/BuildCopyList.h"
#include "norvane/ui/CopyThreadProc.h"
#include "norvane/FormatByteCount.h"
#include "norvane/ui/ShowCopyDisplay.h"
#include "platform/win32/OpenAsUser.h"
#include "platform/win32/WideEdge.h"
#include "resource.h"

namespace {
const WString kSource = kCopySource;
// While the copy runs the display follows it at this pace: current within a moment for the
// user, and no cost to the worker.
constexpr UINT_PTR kCopyDisplayTimer = 1;
constexpr UINT kCopyDisplayIntervalMs = 50;
}  // namespace

CNorvaneDlg::~CNorvaneDlg() {
    WaitForWorker();
    // The entries go; the list keeps its storage.
    appState->CopyList.clear();
}

INT_PTR CNorvaneDlg::HandleMessage(HWND, UINT message, WPARAM first, LPARAM) noexcept {
    switch (message) {
        case WM_INITDIALOG: OnInitDialog(); break;
        case WM_COMMAND:
            switch (LOWORD(first)) {
                case IDC_START: OnStart(); break;
                case IDC_EXIT: OnExit(); break;
                default: break;  // the cancel command (Esc) included: the dialog stays
            }
            break;
        case WM_CLOSE: OnClose(); break;
        case WM_TIMER:
            if (first == kCopyDisplayTimer) ShowCopyDisplay(hwnd, *jobState, shown_);
            break;
        case kShowCopyDisplayMessage: ShowCopyDisplay(hwnd, *jobState, shown_); break;
        case kRunEndedMessage: OnRunEnded(first != 0); break;
        case WM_DESTROY: ::PostQuitMessage(0); break;
        default: break;
    }
    // Zero always: the system's dialog handling follows, and no initial focus is set for us.
    return 0;
}

void CNorvaneDlg::OnInitDialog() noexcept {
    jobState->mainDialog = hwnd;
    ::SendDlgItemMessageW(hwnd, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    if (!BuildCopyList(*jobState, *jobState->textObject, hwnd)) {
        ::EndDialog(hwnd, 0);
    } else if (CurrentRun().options.mode == RunMode::Passive) {
        // Nobody is there to press Start.
        ::PostMessageW(hwnd, WM_COMMAND, IDC_START, 0);
    }
    ::EndDialog(static_cast<HWND>(jobState->waitDialog), 0);
}

void CNorvaneDlg::OnStart() noexcept {
    // One run: a second Start (a message from another program) while it runs, or after it,
    // does nothing.
    if (started_) return;
    started_ = true;
    HWND dialog = static_cast<HWND>(jobState->mainDialog);
    ::EnableWindow(::GetDlgItem(dialog, IDC_START), FALSE);
    ::EnableWindow(::GetDlgItem(dialog, IDC_EXIT), FALSE);
    ::SetDlgItemTextW(dialog, IDC_STATUS, L"Copying \u2026");
    WString total = FormatByteCount(jobState->totalBytes) + u"byte";
    ::SetDlgItemTextW(dialog, IDC_TOTAL_BYTES, AsWide(total));

    ::SetTimer(dialog, kCopyDisplayTimer, kCopyDisplayIntervalMs, nullptr);
    threadHandle.reset(::CreateThread(nullptr, 0, CopyThreadProc, jobState, 0, nullptr));
    if (!threadHandle) {
        // Taken before anything else can set the thread's last error.
        const DWORD error = ::GetLastError();
        ::KillTimer(dialog, kCopyDisplayTimer);
        // Without a worker nothing would ever end the run: say why, and end it here (a passive
        // run then ends by itself, with its failure).
        ReportSystemErrorCode(kThreadFailedLine, kSource, u"Could not start the copy.", error);
        OnRunEnded(false);
    }
}

void CNorvaneDlg::OnExit() noexcept {
    // The report is for a person at the screen; an unattended run opens nothing.
    if (!::IsWindowEnabled(::GetDlgItem(hwnd, IDC_START)) && !CurrentRun().options.Unattended()) {
        WString report = appState->rootFolder + u"Report.txt";
        if (std::optional<WString> fallback = OpenAsDesktopUser(report)) {
            CurrentRun().log.Write(*fallback);
        }
    }
    ::EndDialog(hwnd, 0);
}

void CNorvaneDlg::OnRunEnded(bool complete) noexcept {
    ShowCopyDisplay(hwnd, *jobState, shown_);
    ::KillTimer(hwnd, kCopyDisplayTimer);
    // A user who answered a failure's box and looks at the dialog must not read that the copy
    // is complete.
    ::SetDlgItemTextW(hwnd, IDC_STATUS, complete ? L"Copy complete!" : L"Copy stopped.");
    ::EnableWindow(::GetDlgItem(hwnd, IDC_EXIT), TRUE);
    // A passive run ends by itself with its copy.
    if (CurrentRun().options.mode == RunMode::Passive)
        ::PostMessageW(hwnd, WM_COMMAND, IDC_EXIT, 0);
}

void CNorvaneDlg::OnClose() noexcept {
    // The worker writes this dialog and reads the copy list: closing under it would pull both
    // away. The close request is refused until the run has ended.
    if (WorkerRunning()) {
        return;
    }
    ::DestroyWindow(hwnd);
}

bool CNorvaneDlg::WorkerRunning() const noexcept {
    return threadHandle && ::WaitForSingleObject(threadHandle.get(), 0) == WAIT_TIMEOUT;
}

void CNorvaneDlg::WaitForWorker() noexcept {
    if (!threadHandle) {
        return;
    }
    // Keep serving messages sent to this thread's windows, so the worker never waits on us.
    HANDLE thread = threadHandle.get();
    while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    threadHandle.reset();
}
