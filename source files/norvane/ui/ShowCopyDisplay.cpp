#include "norvane/ui/ShowCopyDisplay.h"

#include <commctrl.h>

#include <utility>

#include "norvane/ProgressAccounting.h"
#include "platform/win32/WideEdge.h"
#include "resource.h"

void ShowCopyDisplay(HWND dialog, const AppState& state, CopyDisplay::View& shown) noexcept {
    CopyDisplay::View view = shown;
    if (!state.display.TakeNewer(view)) {
        return;
    }
    if (view.destFolder != shown.destFolder) {
        ::SetDlgItemTextW(dialog, IDC_DEST_FOLDER, AsWide(view.destFolder));
    }
    if (view.fileName != shown.fileName) {
        ::SetDlgItemTextW(dialog, IDC_FILE_NAME, AsWide(view.fileName));
    }
    // The count shows from the first view on, 0 included.
    if (view.copiedBytes != shown.copiedBytes || shown.version == 0) {
        const ProgressView progress = ProgressViewOf(view.copiedBytes, state.totalBytes);
        ::SetDlgItemTextW(dialog, IDC_COPIED_BYTES, AsWide(progress.bytesText));
        ::SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETPOS, progress.barPosition, 0);
        ::SetDlgItemTextW(dialog, IDC_PERCENT, AsWide(progress.percentText));
    }
    shown = std::move(view);
}
