// Start-up and shutdown: the command line read, one instance at a time, "Update.up" read into
// the text model, the launch document opened, the wait dialog shown, the main dialog run (or,
// with /quiet, the same preparation and copy with no window), everything torn down. The exit code
// is 0 on every road of an interactive run; an unattended one ends with the code of its outcome.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <vector>

#include "app/AppState.h"
#include "reporting/Notice.h"
#include "base/PrivateHeap.h"
#include "framework/BaseWndProc.h"
#include "framework/CWaitDlg.h"
#include "reporting/Diagnostics.h"
#include "norvane/BuildCopyList.h"
#include "norvane/ui/CNorvaneDlg.h"
#include "norvane/CopyRun.h"
#include "norvane/LaunchLine.h"
#include "norvane/ListEncoding.h"
#include "norvane/ListMessages.h"
#include "norvane/QuietRunEvents.h"
#include "norvane/VerifyRun.h"
#include "norvane/RunLogLines.h"
#include "norvane/RunReports.h"
#include "paths/ComposePath.h"
#include "paths/RootFolder.h"
#include "platform/win32/OpenAsUser.h"
#include "platform/win32/SingleInstance.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideEdge.h"
#include "resource.h"
#include "text/CTextLine.h"
#include "norvane_version.h"

namespace {
const WString kSource = kStartupSource;
// A box shown before the run (the switches, a refused command line) closes by itself after
// this long, so that a mistyped switch never leaves a run that nobody watches waiting.
constexpr UINT kUnwatchedBoxMs = 60000;

std::vector<WString> CommandLineArguments() {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    UniqueLocal owner(arguments);
    std::vector<WString> read;
    for (int i = 1; arguments != nullptr && i < count; ++i) read.push_back(FromWide(arguments[i]));
    return read;
}

void CALLBACK EndUnwatchedBox(HWND, UINT, UINT_PTR, DWORD) {
    // A message box's loop ends on the quit message (and posts it again).
    ::PostQuitMessage(0);
}

void ShowUnwatchedBox(const WString& text, UINT flags) {
    const UINT_PTR timer = ::SetTimer(nullptr, 0, kUnwatchedBoxMs, EndUnwatchedBox);
    ::MessageBoxW(nullptr, AsWide(text), AsWide(kToolCaption), flags | MB_SETFOREGROUND);
    ::KillTimer(nullptr, timer);
    MSG quit;
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// The command line asked for something the tool will not do: it says so (in the log too), and
// ends before anything is read or copied.
bool RefuseCommandLine(RunContext& run, const WString& why,
                       uint32_t exitCode = kExitBadCommandLine) {
    run.failure = exitCode;
    run.log.Write(u"the command line is refused: " + why);
    if (run.options.mode != RunMode::Quiet) {
        ShowUnwatchedBox(why + u"\r\n\r\n" + kRunOptionsHelp, MB_OK | MB_ICONERROR);
    }
    return false;
}

WString ModuleText() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return FromWide(path);
}

// Reads the command line; false when the run ends here.
bool ReadCommandLine(RunContext& run) {
    run.options = ReadRunOptions(CommandLineArguments());
    if (!run.options.logPath.empty()) {
        if (const uint32_t error = run.log.Open(run.options.logPath); error != 0) {
            return RefuseCommandLine(run,
                                     u"The log file \"" + run.options.logPath +
                                         u"\" cannot be written: " + LogOpenFailureText(error),
                                     kExitLogFailed);
        }
    }
    // Who runs, and where, only for a log: looking up the account may ask a domain controller.
    if (run.log.IsOpen()) {
        const RunIdentity identity = System().Identity();
        run.log.SetProcessId(identity.processId);
        const WString logPath =
            System().FullPath(run.options.logPath).value_or(run.options.logPath);
        for (const WString& line : RunStartLines(NORVANE_VERSION_TEXT, NORVANE_COMMIT_TEXT,
                                                 ModuleText(), identity, logPath)) {
            run.log.Write(line);
        }
    }
    run.log.Write(u"command line: " + FromWide(::GetCommandLineW()));
    if (!run.options.refusal.empty()) {
        return RefuseCommandLine(run, u"The command line cannot be read at \"" +
                                          run.options.refusedArgument + u"\": " +
                                          run.options.refusal);
    }
    if (run.options.help) {
        if (run.options.mode != RunMode::Quiet) {
            ShowUnwatchedBox(kRunOptionsHelp, MB_OK | MB_ICONINFORMATION);
        }
        return false;
    }
    return true;
}

struct ListFileBytes {
    PrivateHeapBlock<BYTE> buffer;
    DWORD size = 0;
};

// The whole list file, or nothing when it cannot be opened (another program writing it
// included: only shared reading is granted), is empty or cannot be read.
ListFileBytes ReadListFile(const WString& path) {
    ListFileBytes bytes;
    UniqueFile file(::CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return bytes;
    }
    DWORD size = ::GetFileSize(file.get(), nullptr);
    if (size == 0 || size == INVALID_FILE_SIZE) {
        return bytes;
    }
    PrivateHeapBlock<BYTE> buffer(static_cast<BYTE*>(PrivateHeap::Allocate(size)));
    DWORD read = 0;
    if (!buffer || !::ReadFile(file.get(), buffer.get(), size, &read, nullptr)) {
        return bytes;
    }
    bytes.buffer = std::move(buffer);
    bytes.size = size;
    return bytes;
}

// The tool runs elevated from wherever its package was unpacked, often a folder where anyone
// can drop a DLL beside it: every DLL that the shell, the common controls and the system load
// from here on comes from the system folder. Systems without the call (before Windows 8 and
// its update for Windows 7) at least take the current folder out of the search.
void LoadDllsFromSystemFolderOnly() {
    using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
    auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesCall>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories == nullptr ||
        !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        ::SetDllDirectoryW(L"");
    }
}

void OpenLaunchDocument(AppState& state, CTextLine& text) {
    const char* item = text.NextItem();
    std::optional<WString> target = LaunchTarget(state.rootFolder, item, text.ItemAnsiComplete());
    if (target) {
        if (std::optional<WString> fallback = OpenAsDesktopUser(*target)) {
            CurrentRun().log.Write(*fallback);
        }
    }
}

// The main dialog's progress bar must exist as a class before dialog 108 is created.
void LoadCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
}

void RunDialogs(AppState& state) {
    LoadCommonControls();
    // Start-up owns both objects; the record only points at them, and the teardown order below
    // is the owners' (the main dialog's object first).
    auto wait = std::make_unique<CWaitDlg>(&state);
    state.waitDialog =
        ::CreateDialogParamW(static_cast<HINSTANCE>(state.instance), MAKEINTRESOURCEW(IDD_WAIT),
                             nullptr, BaseWndProc, reinterpret_cast<LPARAM>(wait.get()));
    ::UpdateWindow(static_cast<HWND>(state.waitDialog));  // the preparation pumps no messages
    state.waitDialogObject = wait.get();

    auto main = std::make_unique<CNorvaneDlg>(&state);
    const INT_PTR shown =
        ::DialogBoxParamW(static_cast<HINSTANCE>(state.instance), MAKEINTRESOURCEW(IDD_MAIN),
                          nullptr, BaseWndProc, reinterpret_cast<LPARAM>(main.get()));
    if (shown == -1) {
        // No dialog, so no preparation and no copy: a failure, never a silent success.
        const DWORD error = ::GetLastError();
        ReportSystemErrorCode(kDialogFailedLine, kSource, u"Could not show the main dialog.",
                              error);
    }
    // The worker reads the copy list and the shared record until it ends: let it finish
    // before anything it reads is torn down.
    main->WaitForWorker();
    state.mainDialogObject = main.get();

    main.reset();
    state.mainDialogObject = nullptr;
    wait.reset();
    state.waitDialogObject = nullptr;
}

// Is the update in place? The same preparation, then the comparison; nothing is written.
void RunVerify(AppState& state) {
    if (BuildCopyList(state, *state.textObject, nullptr)) VerifyInstallation(state);
    state.CopyList.clear();
}

// The same preparation and the same worker as the dialogs', with no window at all.
void RunQuiet(AppState& state) {
    if (BuildCopyList(state, *state.textObject, nullptr)) {
        QuietRunEvents events;
        CopyRun(state, events).Run();
    }
    state.CopyList.clear();
}

// The road of a run from its command line to its end; how it ended is noted in `run`.
void Run(HINSTANCE instance, RunContext& run) {
    if (!ReadCommandLine(run)) return;

    SingleInstance marker;
    const InstanceClaim claim = marker.Claim();
    if (claim == InstanceClaim::Unavailable) {
        // Not another instance: a run that cannot make sure it is alone is a failure to retry
        // as such, not one to wait out.
        run.log.Write(u"the single-instance marker cannot be made: " +
                      SystemCodeText(marker.Error()));
        ReportError(kMutexFailedLine, kSource, u"Already running", kExitFailure);
        return;
    }
    if (claim == InstanceClaim::HeldByAnother) {
        ReportError(kAlreadyRunningLine, kSource, u"Already running. ERROR_ALREADY_EXISTS ",
                    kExitAlreadyRunning);
        return;
    }

    AppState& state = g_appState;
    state.rootFolder.clear();
    state.instance = instance;
    auto text = std::make_unique<CTextLine>();
    state.textObject = text.get();
    ResolveModuleFolder(state);
    state.rootFolder = ComposePath(state, 0);

    ListFileBytes list = ReadListFile(state.rootFolder + u"Update.up");
    const std::optional<NotAnsiText> notAnsi =
        list.buffer ? ListNotAnsiText(reinterpret_cast<const char*>(list.buffer.get()), list.size)
                    : std::nullopt;
    bool loaded =
        list.buffer && !notAnsi && state.textObject->SetText(list.buffer.get(), list.size);
    list.buffer.reset();
    if (loaded) {
        run.log.Write(u"list read: " + state.rootFolder + u"Update.up");
        // The document is for a person at the screen about to update; an unattended run and a
        // check open nothing.
        if (!run.options.Unattended() && !run.options.verify) {
            OpenLaunchDocument(state, *state.textObject);
        }
        if (run.options.verify) {
            RunVerify(state);
        } else if (run.options.mode == RunMode::Quiet) {
            RunQuiet(state);
        } else {
            RunDialogs(state);
        }
    } else {
        state.textObject->Clear();
    }
    text.reset();
    state.textObject = nullptr;
    marker.Release();
    if (notAnsi) {
        Notice(nullptr, notAnsi->text, kListReadErrorCaption, MB_OK);
    } else if (!loaded) {
        Notice(nullptr, kListNotFoundText, kListReadErrorCaption, MB_OK);
    }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // A drive without its disk, or a file that cannot be opened, answers with an error code:
    // no box of the system's waits for a click in a run that nobody watches.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    LoadDllsFromSystemFolderOnly();
    RunContext& run = CurrentRun();
    Run(instance, run);
    run.log.Write(RunEndLine(g_appState, run.ExitCode()));
    return static_cast<int>(run.ExitCode());
}
