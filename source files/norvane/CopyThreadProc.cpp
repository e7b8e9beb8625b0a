#include "norvane/CopyThreadProc.h"

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

// An existing read-only or hidden destination must not block the overwrite, and a copied file
// keeps none of its source's attributes.
void MakeNormal(const WString& path) {
    DWORD attributes = ::GetFileAttributesW(AsWide(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && attributes != 0) {
        ::SetFileAttributesW(AsWide(path), FILE_ATTRIBUTE_NORMAL);
    }
}

WString FolderOf(const WString& path) {
    WChar buffer[kPathUnits] = {};
    CopyToPathBuffer(buffer, path);
    System().RemoveFileSpec(buffer);
    return WString(buffer);
}

void EnableExit(HWND dialog) {
    ::EnableWindow(::GetDlgItem(dialog, IDC_EXIT), TRUE);
}

// Copies one entry; false when the run has to stop (the user has been told why).
bool CopyEntryFile(AppState& state, const CopyEntry& entry) {
    HWND dialog = static_cast<HWND>(state.mainDialog);
    WString source = entry.sourceFolder + entry.fileName;
    WString destination = entry.destFolder + entry.fileName;
    ::SetDlgItemTextW(dialog, IDC_DEST_FOLDER, AsWide(entry.destFolder));
    state.fileBytesSeen = 0;
    ::SetDlgItemTextW(dialog, IDC_FILE_NAME, AsWide(DisplayName(entry.fileName)));
    MakeNormal(destination);

    if (!MakeFolderTree(FolderOf(destination))) {
        ::MessageBoxW(dialog, L"Failed to make directory.", L"File transfer error", MB_OK);
        EnableExit(dialog);
        return false;
    }
    SafeCopyResult copy = CopyReplacing(source, destination, CopyProgress, &state);
    if (copy.error != ERROR_SUCCESS) {
        ReportSystemErrorCode(kCopyFailedLine, kSource, u"Copy failed.", copy.error);
        EnableExit(dialog);
        return false;
    }
    // Where the system reported no progress (or not all of it), the file still counts whole.
    ShowProgress(dialog, AccountFileCompleted(state, copy.size));
    MakeNormal(destination);
    return true;
}
}  // namespace

DWORD WINAPI CopyThreadProc(LPVOID parameter) noexcept {
    auto& state = *static_cast<AppState*>(parameter);
    for (int32_t i = 0; i < state.entryCount; ++i) {
        if (!CopyEntryFile(state, state.CopyList[static_cast<size_t>(i)])) {
            break;
        }
    }
    HWND dialog = static_cast<HWND>(state.mainDialog);
    ::SetDlgItemTextW(dialog, IDC_STATUS, L"Copy complete!");
    EnableExit(dialog);
    // Returning, rather than ExitThread, releases the strings of the run.
    return 0;
}
