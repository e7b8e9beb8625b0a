// The window framework on real windows (Windows builds only): an object bound to its dialog from
// WM_INITDIALOG until its WM_DESTROY, and a destruction that unbinds before it destroys, so the
// window's last messages reach no half-destroyed object.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <vector>

#include "framework/BaseWndProc.h"
#include "framework/CWaitDlg.h"

namespace {
// An in-memory dialog template with no controls.
struct EmptyDialog {
    DLGTEMPLATE header{WS_POPUP, 0, 0, 0, 0, 10, 10};
    WORD menu = 0, windowClass = 0, title = 0;
};

// Counts what reaches it, while it is whole.
class CountingDlg : public CWaitDlg {
public:
    explicit CountingDlg(std::vector<UINT>& seen) : CWaitDlg(nullptr), seen_(seen) {}
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM first,
                          LPARAM second) noexcept override {
        seen_.push_back(message);
        return CWaitDlg::HandleMessage(window, message, first, second);
    }

private:
    std::vector<UINT>& seen_;
};

HWND Create(CWndBase* object) {
    static EmptyDialog dialog;
    return ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), &dialog.header, nullptr,
                                        BaseWndProc, reinterpret_cast<LPARAM>(object));
}

bool QuitPosted() {
    MSG message;
    return ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

TEST(Framework, BoundFromInitDialogAndUnboundBeforeTheObjectsWindowIsDestroyed) {
    std::vector<UINT> seen;
    auto* object = new CountingDlg(seen);
    const HWND window = Create(object);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(object->hwnd, window);
    EXPECT_EQ(::GetPropW(window, kWndBaseProperty), static_cast<CWndBase*>(object));
    EXPECT_EQ(seen.front(),
              static_cast<UINT>(WM_INITDIALOG));  // WM_SETFONT and the like came before

    // The wait dialog's object goes while its window is hidden: the window goes with it, no
    // quit message is posted, and no message reaches the object once its destruction began.
    seen.clear();
    delete object;
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(QuitPosted());

    // Closed while its object is whole: its own handler destroys it and posts the quit message,
    // and the window is unbound, so the object's later destruction leaves it alone.
    auto* closing = new CountingDlg(seen);
    const HWND other = Create(closing);
    ::SendMessageW(other, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(other));
    EXPECT_EQ(closing->hwnd, nullptr);
    EXPECT_TRUE(QuitPosted());
    delete closing;
}
}  // namespace
#endif
