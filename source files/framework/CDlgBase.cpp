#include "framework/CDlgBase.h"

CDlgBase::~CDlgBase() {
    if (!OwnsWindow()) {
        return;
    }
    // Unbound first, then destroyed: the window's last messages find no object, as none of its
    // concrete class is left to take them.
    HWND window = hwnd;
    if (previousProc != nullptr) {
        ::SetWindowLongPtrW(window, isDialog ? DWLP_DLGPROC : GWLP_WNDPROC,
                            reinterpret_cast<LONG_PTR>(previousProc));
    }
    ::RemovePropW(window, kWndBaseProperty);
    hwnd = nullptr;
    ::DestroyWindow(window);
}

bool CDlgBase::OwnsWindow() const noexcept {
    return hwnd != nullptr && ::IsWindow(hwnd) &&
           ::GetPropW(hwnd, kWndBaseProperty) == static_cast<const CWndBase*>(this);
}
