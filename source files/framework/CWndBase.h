#pragma once
// The root of the objects that drive windows. A window is bound to its object through the
// property "__WND_BASE_CLASS__" from WM_INITDIALOG (or WM_NCCREATE / WM_CREATE) until its
// WM_DESTROY has been handled; BaseWndProc passes every message in between to HandleMessage.
#include <windows.h>

extern const wchar_t kWndBaseProperty[];  // "__WND_BASE_CLASS__"

class CWndBase {
public:
    CWndBase() = default;
    virtual ~CWndBase();
    CWndBase(const CWndBase&) = delete;
    CWndBase& operator=(const CWndBase&) = delete;

    // Default handling: the replaced procedure if binding replaced one, else nothing for a
    // dialog (the system's dialog handling follows), else DefWindowProcW.
    virtual INT_PTR HandleMessage(HWND window, UINT message, WPARAM first, LPARAM second) noexcept;

    HWND hwnd = nullptr;
    bool isDialog = false;
    WNDPROC previousProc = nullptr;
};
