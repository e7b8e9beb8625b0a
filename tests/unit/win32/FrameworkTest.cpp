// Binding of dialogs to their objects, with real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/AppState.h"
#include "framework/BaseWndProc.h"
#include "framework/CWaitDlg.h"

namespace {
// A one-control-free dialog template with a font, so the system sends WM_SETFONT before
// WM_INITDIALOG.
struct Template {
    DLGTEMPLATE header;
    WORD menu, windowClass, title, pointSize;
    wchar_t font[8];
};

Template MakeTemplate() {
    Template t{};
    t.header.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
    t.header.cx = 100;
    t.header.cy = 50;
    t.pointSize = 9;
    wcscpy(t.font, L"Tahoma");
    return t;
}

class RecordingDlg : public CDlgBase {
public:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM first, LPARAM second) noexcept override {
        messages.push_back(message);
        if (message == WM_DESTROY) {
            handleAtDestroy = hwnd;
            propertyAtDestroy = ::GetPropW(window, kWndBaseProperty);
        }
        return CDlgBase::HandleMessage(window, message, first, second);
    }
    std::vector<UINT> messages;
    HWND handleAtDestroy = nullptr;
    HANDLE propertyAtDestroy = nullptr;
};

HWND CreateBound(CWndBase* object) {
    static Template t = MakeTemplate();
    return ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), &t.header, nullptr,
                                        BaseWndProc, reinterpret_cast<LPARAM>(object));
}

bool QuitPosted() {
    MSG message;
    bool posted = false;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        posted = posted || message.message == WM_QUIT;
    }
    return posted;
}

TEST(Framework, BindsAtInitDialogAndNothingEarlierReachesTheObject) {
    RecordingDlg dialog;
    HWND window = CreateBound(&dialog);
    ASSERT_NE(window, nullptr);
    ASSERT_FALSE(dialog.messages.empty());
    EXPECT_EQ(dialog.messages.front(), static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(dialog.hwnd, window);
    EXPECT_TRUE(dialog.isDialog);
    EXPECT_EQ(dialog.previousProc, nullptr);
    EXPECT_EQ(::GetPropW(window, kWndBaseProperty), static_cast<CWndBase*>(&dialog));
    ::DestroyWindow(window);
}

TEST(Framework, UnbindsAfterTheHandlerHasSeenWmDestroy) {
    RecordingDlg dialog;
    HWND window = CreateBound(&dialog);
    ASSERT_NE(window, nullptr);
    ::DestroyWindow(window);
    EXPECT_EQ(dialog.handleAtDestroy, window);
    EXPECT_EQ(dialog.propertyAtDestroy, static_cast<CWndBase*>(&dialog));
    EXPECT_EQ(dialog.hwnd, nullptr);
    EXPECT_FALSE(::IsWindow(window));
}

TEST(Framework, DestroyingAnObjectWhoseWindowIsGoneDestroysNoWindow) {
    auto* dialog = new RecordingDlg;
    HWND window = CreateBound(dialog);
    ::DestroyWindow(window);
    // Another window may now carry the old handle's slot; it must be left alone.
    RecordingDlg other;
    HWND otherWindow = CreateBound(&other);
    delete dialog;
    EXPECT_TRUE(::IsWindow(otherWindow));
    ::DestroyWindow(otherWindow);
}

TEST(Framework, DestroyingTheWaitDialogObjectDestroysItsWindowWithoutQuitting) {
    AppState state;
    auto* wait = new CWaitDlg(&state);
    HWND window = CreateBound(wait);
    ASSERT_NE(window, nullptr);
    ::ShowWindow(window, SW_HIDE);
    QuitPosted();
    delete wait;
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(QuitPosted());
}

TEST(Framework, ClosingTheLiveWaitDialogEndsTheMessageLoop) {
    AppState state;
    CWaitDlg wait(&state);
    HWND window = CreateBound(&wait);
    ASSERT_NE(window, nullptr);
    QuitPosted();
    ::SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_TRUE(QuitPosted());
}

TEST(Framework, BindsAPlainWindowAtCreation) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = reinterpret_cast<WNDPROC>(&BaseWndProc);
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"NorvaneFrameworkTestWindow";
    ::RegisterClassW(&windowClass);
    RecordingDlg object;
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10,
                                    nullptr, nullptr, windowClass.hInstance, &object);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(object.hwnd, window);
    EXPECT_FALSE(object.isDialog);
    ASSERT_FALSE(object.messages.empty());
    EXPECT_EQ(object.messages.front(), static_cast<UINT>(WM_NCCREATE));
    ::DestroyWindow(window);
    EXPECT_EQ(object.hwnd, nullptr);
}
}  // namespace
