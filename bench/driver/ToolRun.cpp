#include "driver/ToolRun.h"

#include <windows.h>

#include <stdexcept>

#include "Stopwatch.h"
#include "driver/ChildProcess.h"
#include "driver/TextOut.h"

namespace {
constexpr int kStart = 1049, kExit = 1050, kStatus = 1053;
constexpr int kBoxText = 0xFFFF;
constexpr wchar_t kComplete[] = L"Copy complete!";
constexpr DWORD kPreparationLimitMs = 120000;
constexpr DWORD kRunLimitMs = 600000;
constexpr DWORD kExitLimitMs = 30000;
// The status line is read this often; message boxes are looked for less often, since finding
// them walks every top-level window.
constexpr DWORD kPollMs = 2;
constexpr double kBoxLookMs = 50;

// Reads another process's window text from the window manager's copy: no message reaches the
// tool, so the reading costs its dialog's thread nothing.
std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

std::wstring VisibleBoxText(DWORD processId) {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
         window = ::FindWindowExW(nullptr, window, L"#32770", nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        HWND text = ::GetDlgItem(window, kBoxText);
        if (owner == processId && text && ::IsWindowVisible(window)) {
            return TextOf(window) + L": " + TextOf(text);
        }
    }
    return {};
}

HWND VisibleMainDialog(DWORD processId) {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
         window = ::FindWindowExW(nullptr, window, L"#32770", nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId && ::GetDlgItem(window, kStart) && ::IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

[[noreturn]] void Fail(const std::string& what, const std::wstring& boxText) {
    throw std::runtime_error(what + (boxText.empty() ? "" : "; the tool shows " + ToUtf8(boxText)));
}

// Polls until `done` holds; fails on a message box of the tool, its end or the time limit.
template <typename Done>
void Await(ChildProcess& tool, const char* what, DWORD limitMs, Done done) {
    Stopwatch waited;
    double lastBoxLook = 0;
    while (!done()) {
        double now = waited.ElapsedMs();
        if (now - lastBoxLook >= kBoxLookMs) {
            lastBoxLook = now;
            std::wstring box = VisibleBoxText(tool.Id());
            if (!box.empty()) Fail(std::string("waiting for ") + what, box);
            if (tool.HasEnded()) Fail(std::string("the tool ended while waiting for ") + what, {});
        }
        if (now > limitMs) Fail(std::string("no ") + what + " within the time limit", {});
        ::Sleep(kPollMs);
    }
}
}  // namespace

ToolTimes TimeTool(const std::wstring& packageFolder, bool copy,
                   const std::function<void()>& beforeClock) {
    ToolTimes times;
    beforeClock();
    Stopwatch clock;
    ChildProcess tool(Quoted(packageFolder + L"\\Norvane.exe"), packageFolder, false);
    HWND dialog = nullptr;
    Await(tool, "the main dialog", kPreparationLimitMs,
          [&] { return (dialog = VisibleMainDialog(tool.Id())) != nullptr; });
    times.prepareMs = clock.ElapsedMs();

    if (copy) {
        HWND status = ::GetDlgItem(dialog, kStatus);
        beforeClock();
        clock.Restart();
        ::PostMessageW(::GetDlgItem(dialog, kStart), BM_CLICK, 0, 0);
        Await(tool, "the end of the copy", kRunLimitMs,
              [&] { return TextOf(status) == kComplete; });
        times.runMs = clock.ElapsedMs();
    }

    ::PostMessageW(::GetDlgItem(dialog, kExit), BM_CLICK, 0, 0);
    if (!tool.WaitForExit(kExitLimitMs)) {
        Fail("the tool did not end after Exit", VisibleBoxText(tool.Id()));
    }
    return times;
}
