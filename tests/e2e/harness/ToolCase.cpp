#include "ToolCase.h"

#include <cstdio>

#include "Files.h"
#include "PeImage.h"
#include "TextForm.h"

namespace {

constexpr wchar_t kInstanceMarker[] = L"__Norvane_Class__";
constexpr int kStartButton = 1049;
constexpr int kExitButton = 1050;

std::string WindowName(HWND window) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%p", static_cast<void*>(window));
    return window ? buffer : "none";
}

std::string ButtonList(const std::vector<int>& ids) {
    std::string list = "{";
    for (size_t i = 0; i < ids.size(); ++i) list += (i ? ", " : "") + std::to_string(ids[i]);
    return list + "}";
}

}  // namespace

const std::vector<std::wstring>& ToolCase::RecordedExtensions() {
    static const std::vector<std::wstring> extensions{L".txt", L".pdf", L".htm", L".html", L".doc", L".rtf"};
    return extensions;
}

ToolCase::ToolCase(ScenarioRun& run, const std::wstring& caseFolder)
    : run_(run), caseFolder_(caseFolder), root_(caseFolder + L"package\\") {
    CopyFileTo(run.Context().productExe, root_ + L"Norvane.exe");
    shell_ = std::make_unique<ShellRecorder>(registry_, run.Context().driverFolder + L"e2e_recorder.exe",
                                             caseFolder_ + L"shell-open.log", RecordedExtensions());
}

void ToolCase::WriteListBytes(std::string_view bytes) { WriteBytes(root_ + L"Update.up", bytes); }

void ToolCase::WriteListText(std::wstring_view text) {
    if (!FitsAnsiCodePage(text)) {
        run_.Abort("writing Update.up", "the list text " + Visible(text) + " has characters outside the ANSI code page");
    }
    WriteListBytes(ToAnsi(text));
}

void ToolCase::WriteFile(std::wstring_view relative, std::string_view bytes) { WriteBytes(InRoot(relative), bytes); }

DebuggedTool& ToolCase::Start() {
    tool_ = std::make_unique<DebuggedTool>(root_ + L"Norvane.exe", caseFolder_);
    return *tool_;
}

DebuggedTool& ToolCase::Tool() {
    if (!tool_) run_.Abort("driver", "the tool was not started");
    return *tool_;
}

void ToolCase::AbortWithState(std::string_view what, std::string_view expected) {
    DebuggedTool& tool = Tool();
    run_.Abort(what, std::string(expected) + ", but none came; " + tool.StateForReport() +
                         "; dialogs of the tool:" + DescribeDialogs(tool.ProcessId()));
}

MessageBoxView ToolCase::AwaitMessageBox(std::string_view stage) {
    DebuggedTool& tool = Tool();
    HWND box = WaitForDialog(
        tool.ProcessId(), [&] { return tool.HasExited(); },
        [](HWND window) { return IsMessageBox(window) && IsWindowVisible(window); }, kWindowWaitMs);
    if (!box) AbortWithState(stage, "expected a message box");
    return ReadMessageBox(box);
}

HWND ToolCase::AwaitDialog(std::string_view what, const std::function<bool(HWND)>& predicate) {
    DebuggedTool& tool = Tool();
    HWND dialog = WaitForDialog(tool.ProcessId(), [&] { return tool.HasExited(); }, predicate, kWindowWaitMs);
    if (!dialog) AbortWithState(what, "expected " + std::string(what));
    return dialog;
}

void ToolCase::CheckBox(std::string_view stage, const MessageBoxView& box, const ExpectedBox& expected, HWND owner) {
    const std::string prefix(stage);
    run_.Equal(prefix + ": box caption", expected.caption, box.caption);
    run_.Equal(prefix + ": box text", expected.text, box.text);
    run_.True(prefix + ": box icon", box.hasIcon == expected.icon,
              expected.icon ? "expected an icon, the box has none" : "expected no icon, the box has one");
    run_.True(prefix + ": box owner", box.owner == owner,
              "expected owner " + WindowName(owner) + ", actual " + WindowName(box.owner));
    run_.True(prefix + ": box buttons", box.visibleButtons == std::vector<int>{IDOK},
              "expected only OK {1}, actual " + ButtonList(box.visibleButtons));
}

void ToolCase::Answer(const MessageBoxView& box) {
    AnswerOk(box.window);
    const ULONGLONG deadline = GetTickCount64() + kWindowWaitMs;
    while (IsWindow(box.window) && GetTickCount64() < deadline) Sleep(5);
    if (IsWindow(box.window)) AbortWithState("answering a box", "expected the box to close on OK");
}

void ToolCase::CheckNoOtherDialog(std::string_view stage, const std::vector<HWND>& allowed) {
    std::string others;
    for (HWND window : DialogsOf(Tool().ProcessId())) {
        bool known = false;
        for (HWND allowedWindow : allowed) known = known || window == allowedWindow;
        if (!known) others += " " + Visible(WindowText(window)) + (IsWindowVisible(window) ? "(visible)" : "(hidden)");
    }
    run_.True(std::string(stage) + ": other dialogs", others.empty(), "expected none, found" + others);
}

void ToolCase::ExpectExit(DWORD expectedCode) {
    DebuggedTool& tool = Tool();
    const std::optional<DWORD> code = tool.WaitForExit(kExitWaitMs);
    if (!code) AbortWithState("end of the tool", "expected the tool to exit");
    if (const auto crash = tool.CrashCode()) run_.Fail("end of the tool", tool.StateForReport());
    run_.EqualNumber("exit code", expectedCode, *code);
}

void ToolCase::ExpectDebugOutput(std::wstring_view expected) {
    DebuggedTool& tool = Tool();
    run_.Equal("debug output (as it arrives through the ANSI code page)", ThroughAnsiCodePage(expected),
               tool.DebugOutput());
    if (const auto wide = tool.WideDebugOutput()) {
        run_.Equal("debug output (UTF-16, as passed to OutputDebugStringW)", expected, *wide);
    } else {
        run_.Note("the UTF-16 debug text could not be read in this process; compared the ANSI form only");
    }
}

void ToolCase::ExpectOpened(const std::vector<std::wstring>& expectedPaths) {
    const std::vector<std::wstring> opened = shell_->Opened();
    std::wstring expectedList;
    std::wstring actualList;
    for (const auto& path : expectedPaths) expectedList += path + L"\n";
    for (const auto& path : opened) actualList += path + L"\n";
    run_.Equal("documents opened with the shell (one per line)", expectedList, actualList);
}

bool ToolCase::InstanceMarkerExists() {
    UniqueHandle marker(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMarker));
    return static_cast<bool>(marker);
}

bool IsMainDialog(HWND window) {
    return GetDlgItem(window, kStartButton) != nullptr && GetDlgItem(window, kExitButton) != nullptr;
}

bool IsWaitDialog(HWND window) {
    return !IsMessageBox(window) && !IsMainDialog(window) && WindowText(window) == L"Norvane";
}

void RequireProductMachine(ScenarioRun& run, std::uint16_t machine, std::string_view why) {
    const std::uint16_t actual = PeMachine(run.Context().productExe);
    if (actual != machine) {
        char detail[64];
        std::snprintf(detail, sizeof detail, " (product machine 0x%04X, needed 0x%04X)", actual, machine);
        run.Skip(std::string(why) + detail);
    }
}
