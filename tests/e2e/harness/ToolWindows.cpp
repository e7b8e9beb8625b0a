#include "ToolWindows.h"

#include "TextForm.h"

namespace {

constexpr UINT kMessageTimeoutMs = 5000;
constexpr int kIconControl = 1088;
constexpr int kTextControl = 0xFFFF;
constexpr DWORD kPollMs = 10;
constexpr wchar_t kProbeText[] = L"e2e caption probe";

DWORD WINAPI ShowCaptionProbe(void*) {
    MessageBoxW(nullptr, kProbeText, nullptr, MB_OK);
    return 0;
}

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) return TRUE;
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770") search->found.push_back(window);
    return TRUE;
}

struct ChildSearch {
    HWND parent;
    std::wstring className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<ChildSearch*>(parameter);
    if (GetParent(window) != search->parent) return TRUE;
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (_wcsicmp(className, search->className.c_str()) == 0) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> ChildrenOf(HWND dialog, const wchar_t* className) {
    ChildSearch search{dialog, className, {}};
    EnumChildWindows(dialog, &CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::vector<HWND> DialogsOf(DWORD processId) {
    DialogSearch search{processId, {}};
    EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length)) {
        return L"<no answer to WM_GETTEXTLENGTH>";
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &copied)) {
        return L"<no answer to WM_GETTEXT>";
    }
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ControlText(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    return control ? WindowText(control) : L"<no control " + std::to_wstring(controlId) + L">";
}

bool IsControlEnabled(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    return control && IsWindowEnabled(control);
}

std::vector<std::wstring> ChildTexts(HWND dialog, const wchar_t* className) {
    std::vector<std::wstring> texts;
    for (HWND child : ChildrenOf(dialog, className)) texts.push_back(WindowText(child));
    return texts;
}

bool IsMessageBox(HWND window) {
    return GetDlgItem(window, kIconControl) != nullptr && GetDlgItem(window, kTextControl) != nullptr;
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.window = box;
    view.caption = WindowText(box);
    view.text = ControlText(box, kTextControl);
    DWORD_PTR icon = 0;
    if (HWND iconControl = GetDlgItem(box, kIconControl)) {
        SendMessageTimeoutW(iconControl, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &icon);
    }
    view.hasIcon = icon != 0;
    view.owner = GetWindow(box, GW_OWNER);
    for (HWND button : ChildrenOf(box, L"Button")) {
        if (IsWindowVisible(button)) view.visibleButtons.push_back(GetDlgCtrlID(button));
    }
    return view;
}

const std::wstring& SystemDefaultBoxCaption() {
    static const std::wstring caption = [] {
        HANDLE thread = CreateThread(nullptr, 0, &ShowCaptionProbe, nullptr, 0, nullptr);
        if (!thread) return std::wstring(L"<no probe thread>");
        HWND box = WaitForDialog(
            GetCurrentProcessId(), [] { return false; },
            [&](HWND window) { return IsMessageBox(window) && ControlText(window, 0xFFFF) == kProbeText; }, 10000);
        std::wstring text = box ? WindowText(box) : L"<the probe box did not show>";
        if (box) AnswerOk(box);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        return text;
    }();
    return caption;
}

HWND WaitForDialog(DWORD processId, const std::function<bool()>& processEnded,
                   const std::function<bool(HWND)>& predicate, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (true) {
        // Whether the process had ended is read before the windows, so that a window it showed
        // just before ending is still looked at once.
        const bool ended = processEnded();
        for (HWND window : DialogsOf(processId)) {
            if (predicate(window)) return window;
        }
        if (ended || GetTickCount64() >= deadline) return nullptr;
        Sleep(kPollMs);
    }
}

std::string DescribeDialogs(DWORD processId) {
    std::string description;
    for (HWND window : DialogsOf(processId)) {
        description += "\n      window " + Visible(WindowText(window));
        description += IsWindowVisible(window) ? " visible" : " hidden";
        if (IsMessageBox(window)) description += ", box text " + Visible(ControlText(window, kTextControl));
    }
    return description.empty() ? " none" : description;
}

void AnswerOk(HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

void Click(HWND dialog, int controlId) {
    if (HWND control = GetDlgItem(dialog, controlId)) PostMessageW(control, BM_CLICK, 0, 0);
}
