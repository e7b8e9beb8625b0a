#include "platform/win32/OpenAsUser.h"

#include <windows.h>
#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include <cwchar>

#include "platform/win32/WideEdge.h"

namespace {
// One reference to a COM object, released when the owner goes.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (object_ != nullptr) object_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    Interface** put() { return &object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    Interface* object_ = nullptr;
};

class Variant {
public:
    Variant() { ::VariantInit(&value_); }
    explicit Variant(const wchar_t* text) : Variant() {
        value_.vt = VT_BSTR;
        value_.bstrVal = ::SysAllocString(text);
    }
    explicit Variant(int number) : Variant() {
        value_.vt = VT_I4;
        value_.lVal = number;
    }
    ~Variant() { ::VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT& get() { return value_; }

private:
    VARIANT value_;
};

struct ShellAnswer {
    HRESULT result;
    const WChar* step;  // the call that gave the result
};

// The desktop's folder view belongs to the shell process of the signed-in user; its
// Shell.Application object opens what it is given in that process, at that user's level.
ShellAnswer OpenThroughDesktop(const WString& path) {
    ComRef<IShellWindows> windows;
    HRESULT result = ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                        IID_PPV_ARGS(windows.put()));
    if (FAILED(result)) return {result, u"the shell's windows"};
    Variant none;
    long window = 0;
    ComRef<IDispatch> desktop;
    result = windows->FindWindowSW(&none.get(), &none.get(), SWC_DESKTOP, &window,
                                   SWFO_NEEDDISPATCH, desktop.put());
    if (result != S_OK || !desktop) return {FAILED(result) ? result : E_FAIL, u"the desktop"};
    ComRef<IServiceProvider> services;
    result = desktop->QueryInterface(IID_PPV_ARGS(services.put()));
    if (FAILED(result)) return {result, u"the desktop's services"};
    ComRef<IShellBrowser> browser;
    result = services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(browser.put()));
    if (FAILED(result)) return {result, u"the desktop's browser"};
    ComRef<IShellView> view;
    result = browser->QueryActiveShellView(view.put());
    if (FAILED(result)) return {result, u"the desktop's view"};
    ComRef<IDispatch> background;
    result = view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(background.put()));
    if (FAILED(result)) return {result, u"the desktop's folder view"};
    ComRef<IShellFolderViewDual> folderView;
    result = background->QueryInterface(IID_PPV_ARGS(folderView.put()));
    if (FAILED(result)) return {result, u"the desktop's folder view"};
    ComRef<IDispatch> application;
    result = folderView->get_Application(application.put());
    if (FAILED(result)) return {result, u"the shell's application object"};
    ComRef<IShellDispatch2> shell;
    result = application->QueryInterface(IID_PPV_ARGS(shell.put()));
    if (FAILED(result)) return {result, u"the shell's application object"};
    BSTR file = ::SysAllocString(AsWide(path));
    Variant verb(L"open"), show(SW_SHOWNORMAL);
    result = shell->ShellExecute(file, none.get(), none.get(), verb.get(), show.get());
    ::SysFreeString(file);
    return {result, u"the shell's open"};
}

WString Hex(HRESULT result) {
    wchar_t text[16] = {};
    ::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(result));
    return FromWide(text);
}
}  // namespace

std::optional<WString> OpenAsDesktopUser(const WString& path) {
    const HRESULT apartment =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const ShellAnswer answer = OpenThroughDesktop(path);
    std::optional<WString> fallback;
    // Once the desktop's shell has the document, its answer stands (a document it cannot open
    // included): the tool never opens it a second time at its own level.
    if (FAILED(answer.result)) {
        fallback = u"the desktop's shell cannot open \"" + path + u"\" (" + answer.step + u": " +
                   Hex(answer.result) + u"); the tool opens it itself, at its own level";
        ::ShellExecuteW(nullptr, L"open", AsWide(path), nullptr, nullptr, SW_SHOWNORMAL);
    }
    if (SUCCEEDED(apartment)) ::CoUninitialize();
    return fallback;
}
