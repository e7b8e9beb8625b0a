#include "framework/CDlgBase.h"

CDlgBase::~CDlgBase() {
    if (OwnsWindow()) {
        ::DestroyWindow(hwnd);
    }
}

bool CDlgBase::OwnsWindow() const noexcept {
    return hwnd != nullptr && ::IsWindow(hwnd) &&
           ::GetPropW(hwnd, kWndBaseProperty) == static_cast<const CWndBase*>(this);
}
