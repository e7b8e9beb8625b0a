#include "ToolWindows.h"

#include "TextForm.h"

namespace {

constexpr UINT kMessageTimeoutMs = 5000;
constexpr int kIconControl = 1088;
constexpr int kTextControl = 0xFFFF;
constexpr wchar_t kProbeText[] = L"e2e caption probe";

DWORD WINAPI ShowCaptionProbe(void*) {
    MessageBoxW(nullptr, kProbeText, nullptr, MB_OK);
    return 0;
}

bool HasClass(HWND window, const wchar_t* className) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return _wcsicmp(name, className) == 0;
}

std::vector<HWND> ChildrenOf(HWND dialog, const wchar_t* className) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (HasClass(child, className)) found.push_back(child);
    }
    return found;
}

}  // namespace

std::vector<HWND> DialogsOf(DWORD processId) {
    std::vector<HWND> found;
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
         window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) found.push_back(window);
    }
    return found;
}

std::wstring WindowText(HWND window) {
    std::wstring text(32768, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied)) {
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

std::wstring ChildTexts(HWND dialog, const wchar_t* className) {
    std::wstring texts;
    for (HWND child : ChildrenOf(dialog, className)) texts += WindowText(child) + L"\n";
    return texts;
}

bool IsMessageBox(HWND window) {
    return GetDlgItem(window, kIconControl) != nullptr &&
           GetDlgItem(window, kTextControl) != nullptr;
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view{box,   WindowText(box),          ControlText(box, kTextControl),
                        false, GetWindow(box, GW_OWNER), {}};
    DWORD_PTR icon = 0;
    SendMessageTimeoutW(GetDlgItem(box, kIconControl), STM_GETICON, 0, 0, SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &icon);
    view.hasIcon = icon != 0;
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
            [](HWND window) {
                return IsMessageBox(window) && ControlText(window, kTextControl) == kProbeText;
            },
            10000);
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
        Sleep(10);
    }
}

std::string DescribeDialogs(DWORD processId) {
    std::string description;
    for (HWND window : DialogsOf(processId)) {
        description += "\n      window " + Visible(WindowText(window));
        description += IsWindowVisible(window) ? " visible" : " hidden";
        if (IsMessageBox(window))
            description += ", box text " + Visible(ControlText(window, kTextControl));
    }
    return description.empty() ? " none" : description;
}

void AnswerOk(HWND box) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void Click(HWND dialog, int controlId) {
    if (HWND control = GetDlgItem(dialog, controlId)) PostMessageW(control, BM_CLICK, 0, 0);
}
