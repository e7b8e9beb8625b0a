#include "norvane/CopyThreadProc.h"

#include <vector>

#include "app/AppState.h"
#include "framework/Diagnostics.h"
#include "norvane/CopyProgress.h"
#include "norvane/DisplayName.h"
#include "norvane/SafeCopy.h"
#include "paths/MakeFolderTree.h"
#include "paths/PathServices.h"
#include "platform/SystemServices.h"
#include "platform/win32/WideEdge.h"
#include "resource.h"

namespace {
const WString kSource = u"source files\\norvane\\norvane";
constexpr int kCopyFailedLine = 407;

// The folder the destination goes into: the whole path with its last component removed.
WString FolderOf(const WString& path) {
    std::vector<WChar> buffer(path.begin(), path.end());
    buffer.push_back(u'\0');
    System().RemoveFileSpec(buffer.data());
    return WString(buffer.data());
}

void EnableExit(HWND dialog) {
    ::EnableWindow(::GetDlgItem(dialog, IDC_EXIT), TRUE);
}

// The copy failure's report, with the system's text for the code; the run stops.
bool StopCopyFailed(HWND dialog, DWORD code) {
    ReportSystemErrorCode(kCopyFailedLine, kSource, u"Copy failed.", code);
    EnableExit(dialog);
    return false;
}

// Copies one entry; false when the run has to stop (the user has been told why).
bool CopyEntryFile(AppState& state, const CopyEntry& entry) {
    HWND dialog = static_cast<HWND>(state.mainDialog);
    WString source = entry.sourceFolder + entry.fileName;
    WString destination = entry.destFolder + entry.fileName;
    ::SetDlgItemTextW(dialog, IDC_DEST_FOLDER, AsWide(entry.destFolder));
    state.fileBytesSeen = 0;
    ::SetDlgItemTextW(dialog, IDC_FILE_NAME, AsWide(DisplayName(entry.fileName)));

    // No copy can write a path of that length: refused before any folder is made for it.
    if (destination.size() >= static_cast<size_t>(kPathUnits)) {
        return StopCopyFailed(dialog, ERROR_FILENAME_EXCED_RANGE);
    }
    if (!MakeFolderTree(FolderOf(destination))) {
        ::MessageBoxW(dialog, L"Failed to make directory.", L"File transfer error", MB_OK);
        EnableExit(dialog);
        return false;
    }
    SafeCopyResult copy = CopyReplacing(source, destination, CopyProgress, &state);
    if (copy.error != ERROR_SUCCESS) {
        return StopCopyFailed(dialog, copy.error);
    }
    // Where the system reported no progress (or not all of it), the file still counts whole.
    ShowProgress(dialog, AccountFileCompleted(state, copy.size));
    return true;
}
}  // namespace

DWORD WINAPI CopyThreadProc(LPVOID parameter) noexcept {
    auto& state = *static_cast<AppState*>(parameter);
    bool complete = true;
    for (int32_t i = 0; i < state.entryCount && complete; ++i) {
        complete = CopyEntryFile(state, state.CopyList[static_cast<size_t>(i)]);
    }
    HWND dialog = static_cast<HWND>(state.mainDialog);
    // A user who answered the failure's box and looks at the dialog must not read that the copy
    // is complete.
    ::SetDlgItemTextW(dialog, IDC_STATUS, complete ? L"Copy complete!" : L"Copy stopped.");
    EnableExit(dialog);
    // Returning, rather than ExitThread, releases the strings of the run.
    return 0;
}
