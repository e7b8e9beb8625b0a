#include "norvane/CopyProgress.h"

#include <commctrl.h>

#include "app/AppState.h"
#include "platform/win32/WideEdge.h"
#include "resource.h"

DWORD CALLBACK CopyProgress(LARGE_INTEGER, LARGE_INTEGER totalBytesTransferred, LARGE_INTEGER,
                            LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID data) noexcept {
    auto& state = *static_cast<AppState*>(data);
    uint64_t transferred = static_cast<uint64_t>(totalBytesTransferred.QuadPart);
    ShowProgress(static_cast<HWND>(state.mainDialog), AccountProgress(state, transferred));
    return PROGRESS_CONTINUE;
}

void ShowProgress(HWND mainDialog, const ProgressView& view) noexcept {
    ::SetDlgItemTextW(mainDialog, IDC_COPIED_BYTES, AsWide(view.bytesText));
    ::SendMessageW(::GetDlgItem(mainDialog, IDC_PROGRESS), PBM_SETPOS, view.barPosition, 0);
    ::SetDlgItemTextW(mainDialog, IDC_PERCENT, AsWide(view.percentText));
}
