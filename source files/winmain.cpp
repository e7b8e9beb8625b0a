// Start-up and shutdown: one instance at a time, "Update.up" read into the text model, the
// launch document opened, the wait dialog shown, the main dialog run, everything torn down.
// The exit code is 0 on every road.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <optional>

#include "app/AppState.h"
#include "app/PrivateHeap.h"
#include "framework/BaseWndProc.h"
#include "framework/CWaitDlg.h"
#include "framework/Diagnostics.h"
#include "norvane/CNorvaneDlg.h"
#include "norvane/LaunchLine.h"
#include "paths/PathServices.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideEdge.h"
#include "resource.h"
#include "text/CTextLine.h"

namespace {
const WString kSource = u"source files\\winmain";
constexpr int kMutexFailedLine = 23;
constexpr int kAlreadyRunningLine = 28;

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
    auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesCall>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"),
                                                 "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories == nullptr ||
        !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        ::SetDllDirectoryW(L"");
    }
}

void OpenLaunchDocument(AppState& state, CTextLine& text) {
    const char* item = text.NextItem();
    std::optional<WString> target = LaunchTarget(state.rootFolder, item, text.ItemAnsiComplete());
    if (target) {
        ::ShellExecuteW(nullptr, L"open", AsWide(*target), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

// The main dialog's progress bar must exist as a class before dialog 108 is created.
void LoadCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
}

void RunDialogs(AppState& state) {
    LoadCommonControls();
    auto* wait = new CWaitDlg(&state);
    state.waitDialog = ::CreateDialogParamW(static_cast<HINSTANCE>(state.instance),
                                            MAKEINTRESOURCEW(IDD_WAIT), nullptr, BaseWndProc,
                                            reinterpret_cast<LPARAM>(wait));
    ::UpdateWindow(static_cast<HWND>(state.waitDialog));  // the preparation pumps no messages
    state.waitDialogObject = wait;

    auto* main = new CNorvaneDlg(&state);
    ::DialogBoxParamW(static_cast<HINSTANCE>(state.instance), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                      BaseWndProc, reinterpret_cast<LPARAM>(main));
    // The worker reads the copy list and the shared record until it ends: let it finish
    // before anything it reads is torn down.
    main->WaitForWorker();
    state.mainDialogObject = main;

    delete state.mainDialogObject;
    state.mainDialogObject = nullptr;
    delete state.waitDialogObject;
    state.waitDialogObject = nullptr;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    LoadDllsFromSystemFolderOnly();
    UniqueMutex mutex(::CreateMutexW(nullptr, TRUE, L"__Norvane_Class__"));
    if (!mutex) {
        ReportError(kMutexFailedLine, kSource, u"Already running");
        return 0;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another instance owns it; this one only closes its handle.
        ReportError(kAlreadyRunningLine, kSource, u"Already running. ERROR_ALREADY_EXISTS ");
        return 0;
    }

    AppState& state = g_appState;
    state.rootFolder.clear();
    state.instance = instance;
    state.textObject = new CTextLine();
    ResolveModuleFolder(state);
    state.rootFolder = ComposePath(state, 0);

    ListFileBytes list = ReadListFile(state.rootFolder + u"Update.up");
    bool loaded = list.buffer && state.textObject->SetText(list.buffer.get(), list.size);
    list.buffer.reset();
    if (!loaded) {
        state.textObject->Clear();
        ::ReleaseMutex(mutex.get());
        mutex.reset();
        delete state.textObject;
        state.textObject = nullptr;
        ::MessageBoxW(nullptr, L"Cannot find 'Update.up'.", L"Text data read error.", MB_OK);
        return 0;
    }

    OpenLaunchDocument(state, *state.textObject);
    RunDialogs(state);

    delete state.textObject;
    state.textObject = nullptr;
    ::ReleaseMutex(mutex.get());
    return 0;
}
