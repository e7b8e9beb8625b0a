// Drives the running tool for the demo: waits for its main dialog, presses its buttons, waits
// for a control's text. Each call does one step, so a script can take screenshots in between.
//   demo_pilot wait-main | press <control id> | wait-text <control id> <text>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
struct Search {
    HWND found = nullptr;
};

BOOL CALLBACK FindMainDialog(HWND window, LPARAM data) {
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    // The main dialog is the "Norvane" dialog with a Start button.
    if (std::wcscmp(className, L"#32770") == 0 && ::GetDlgItem(window, 1049) != nullptr &&
        ::IsWindowVisible(window)) {
        reinterpret_cast<Search*>(data)->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForMainDialog(DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        Search search;
        ::EnumWindows(FindMainDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        ::Sleep(100);
    }
    return nullptr;
}

std::wstring Text(HWND control) {
    wchar_t buffer[512] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer),
                          SMTO_ABORTIFHUNG, 2000, &ignored);
    return buffer;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: demo_pilot wait-main | press <id> | wait-text <id> <text>\n");
        return 2;
    }
    HWND dialog = WaitForMainDialog(60000);
    if (dialog == nullptr) {
        std::fwprintf(stderr, L"demo_pilot: the main dialog did not appear\n");
        return 1;
    }
    std::wstring step = argv[1];
    if (step == L"wait-main") return 0;
    if (step == L"press" && argc == 3) {
        ::PostMessageW(::GetDlgItem(dialog, std::wcstol(argv[2], nullptr, 10)), BM_CLICK, 0, 0);
        return 0;
    }
    if (step == L"wait-text" && argc == 4) {
        HWND control = ::GetDlgItem(dialog, std::wcstol(argv[2], nullptr, 10));
        for (int i = 0; i < 600; ++i) {
            if (Text(control) == argv[3]) return 0;
            ::Sleep(100);
        }
        std::fwprintf(stderr, L"demo_pilot: control %ls never read \"%ls\"\n", argv[2], argv[3]);
        return 1;
    }
    return 2;
}
