#include "framework/CWndBase.h"

const wchar_t kWndBaseProperty[] = L"__WND_BASE_CLASS__";

CWndBase::~CWndBase() {
    hwnd = nullptr;
    isDialog = false;
    previousProc = nullptr;
}

INT_PTR CWndBase::HandleMessage(HWND window, UINT message, WPARAM first, LPARAM second) noexcept {
    if (previousProc != nullptr) {
        return ::CallWindowProcW(previousProc, window, message, first, second);
    }
    if (isDialog) {
        return 0;
    }
    return ::DefWindowProcW(window, message, first, second);
}
