#include "framework/CWaitDlg.h"

INT_PTR CWaitDlg::HandleMessage(HWND, UINT message, WPARAM, LPARAM) noexcept {
    switch (message) {
        case WM_DESTROY:
            // Closing the wait dialog while the tool prepares ends the run: the main dialog's
            // loop ends on this quit message.
            ::PostQuitMessage(0);
            break;
        case WM_CLOSE: ::DestroyWindow(hwnd); break;
        default: break;
    }
    // Zero for WM_INITDIALOG too: the system does not set the initial focus for us.
    return 0;
}
