#include "framework/BaseWndProc.h"

#include "framework/CWndBase.h"

namespace {
bool IsDialogWindow(HWND window) {
    return ::GetWindowLongPtrW(window, DWLP_DLGPROC) != 0;
}

// The object that travels with the creating message, or null for any other message.
CWndBase* ObjectFromCreation(UINT message, LPARAM second) {
    switch (message) {
        case WM_NCCREATE:
        case WM_CREATE: {
            auto* creation = reinterpret_cast<CREATESTRUCTW*>(second);
            return creation != nullptr ? static_cast<CWndBase*>(creation->lpCreateParams) : nullptr;
        }
        case WM_INITDIALOG: return reinterpret_cast<CWndBase*>(second);
        default: return nullptr;
    }
}

void Bind(HWND window, CWndBase* object) {
    object->hwnd = window;
    object->isDialog = IsDialogWindow(window);
    int slot = object->isDialog ? DWLP_DLGPROC : GWLP_WNDPROC;
    ::SetPropW(window, kWndBaseProperty, object);
    auto ours = reinterpret_cast<LONG_PTR>(&BaseWndProc);
    if (::GetWindowLongPtrW(window, slot) != ours) {
        object->previousProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(window, slot, ours));
    }
}

void Unbind(CWndBase* object) {
    if (object->previousProc != nullptr) {
        int slot = object->isDialog ? DWLP_DLGPROC : GWLP_WNDPROC;
        ::SetWindowLongPtrW(object->hwnd, slot, reinterpret_cast<LONG_PTR>(object->previousProc));
    }
    ::RemovePropW(object->hwnd, kWndBaseProperty);
    // The window is going: the object no longer owns it, so its destruction leaves it alone.
    object->hwnd = nullptr;
}
}  // namespace

INT_PTR CALLBACK BaseWndProc(HWND window, UINT message, WPARAM first, LPARAM second) noexcept {
    auto* object = static_cast<CWndBase*>(::GetPropW(window, kWndBaseProperty));
    if (object == nullptr) {
        object = ObjectFromCreation(message, second);
        if (object == nullptr) {
            // Messages before binding (WM_SETFONT for a dialog) or after unbinding.
            return IsDialogWindow(window) ? 0 : ::DefWindowProcW(window, message, first, second);
        }
        if (window != nullptr) {
            Bind(window, object);
        }
    }
    INT_PTR result = object->HandleMessage(window, message, first, second);
    if (message == WM_DESTROY && object->hwnd != nullptr) {
        Unbind(object);
    }
    return result;
}
