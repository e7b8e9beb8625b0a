#include "ToolCase.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <stdexcept>

#include "Files.h"
#include "TextForm.h"

namespace {

// The recorder stands in for the shell's "open" of these document types, registered under this
// ProgId in HKLM\Software\Classes (Wine does not merge HKCU\Software\Classes into the classes
// root).
constexpr wchar_t kRecorderProgId[] = L"NorvaneE2E.RecordedDocument";
constexpr const wchar_t* kRecordedExtensions[] = {L".txt",  L".pdf", L".htm",
                                                  L".html", L".doc", L".rtf"};
constexpr DWORD kExitWaitMs = 15000;
constexpr DWORD kRecorderExitWaitMs = 10000;

std::string WindowName(HWND window) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%p", static_cast<void*>(window));
    return window ? buffer : "none";
}

// Values left behind by an interrupted earlier run would win over the case's own.
void ForgetOldKeys() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            UniqueHkey software;
            if (RegOpenKeyExW(root, L"Software", 0, KEY_ALL_ACCESS | view, software.put()) ==
                ERROR_SUCCESS) {
                RegDeleteTreeW(software.get(), L"NorvaneE2E");
                RegDeleteKeyExW(software.get(), L"NorvaneE2E", view, 0);
            }
        }
    }
}

// The shell has started the handler by the time its call in the tool returned, but the handler
// writes the log a little later: every running recorder is waited for (bounded).
void WaitForRunningRecorders() {
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, L"e2e_recorder.exe") != 0) continue;
        UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (process) WaitForSingleObject(process.get(), kRecorderExitWaitMs);
    }
}

}  // namespace

ToolCase::ToolCase(ScenarioRun& run, const std::wstring& caseFolder)
    : run_(run),
      folder_(caseFolder),
      root_(caseFolder + L"package\\"),
      shellLog_(caseFolder + L"shell-open.log") {
    ForgetOldKeys();
    MakeFolders(root_);
    if (!CopyFileW(run.Context().productExe.c_str(), (root_ + L"Norvane.exe").c_str(), FALSE)) {
        throw std::runtime_error("copying the tool into the package failed, error " +
                                 std::to_string(GetLastError()));
    }
    const std::wstring classes = L"Software\\Classes\\";
    registry_.SetString(
        HKEY_LOCAL_MACHINE, classes + kRecorderProgId + L"\\shell\\open\\command", L"",
        L"\"" + run.Context().driverFolder + L"e2e_recorder.exe\" \"" + shellLog_ + L"\" \"%1\"");
    for (const wchar_t* extension : kRecordedExtensions) {
        registry_.SetString(HKEY_LOCAL_MACHINE, classes + extension, L"", kRecorderProgId);
    }
}

void ToolCase::WriteListText(std::wstring_view text) {
    if (!FitsAnsiCodePage(text)) {
        run_.Abort("writing Update.up",
                   "the list text " + Visible(text) + " has characters outside the ANSI code page");
    }
    WriteFile(L"Update.up", ToAnsi(text));
}

void ToolCase::WriteFile(std::wstring_view relative, std::string_view bytes) {
    WriteBytes(InRoot(relative), bytes);
}

void ToolCase::HoldOpen(const std::wstring& path, DWORD access, DWORD share) {
    held_.emplace_back(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held_.back()) run_.Abort("setup", "cannot hold " + ToUtf8(path) + " open");
}

void ToolCase::WritePackage(const std::vector<Product>& products, std::wstring_view launchLine) {
    products_ = products;
    entries_.clear();
    std::wstring list = std::wstring(launchLine) + L"\r\n";
    for (const Product& product : products_) {
        const std::wstring key = Key(product);
        const std::wstring install = Install(product);
        const std::wstring decoy = folder_ + L"decoy\\" + product.tag;
        if (product.installExists) MakeFolders(install);
        // The per-user value without its trailing backslash (the tool adds it), the other with.
        if (product.keys & PerUser) {
            registry_.SetString(HKEY_CURRENT_USER, key, L"INSTALLDIR",
                                install.substr(0, install.size() - 1));
        }
        if (product.keys & UserKeyOnly)
            registry_.SetString(HKEY_CURRENT_USER, key, L"OTHERDIR", decoy);
        if (product.keys & PerMachine) {
            registry_.SetString(HKEY_LOCAL_MACHINE, key, L"INSTALLDIR",
                                product.keys & PerUser ? decoy : install);
        }
        const std::wstring source =
            product.source.empty() ? L"%Root%\\" + product.tag + L"\\" : product.source;
        list += L"[SetParamter]\r\n" + key + L"\r\nNone\r\n" + product.action + L"\r\n" +
                product.message + L"\r\n" + source + L"\r\n";
        for (const Listed& file : product.files) {
            list += file.name + L"\r\n";
            entries_.push_back({&product, &file});
            if (file.size != kNotWritten)
                WriteFile(product.tag + L"\\" + file.name, Contents(entries_.back()));
        }
    }
    WriteListText(list);
    WriteFile(L"Report.txt", "report");
}

std::string ToolCase::Contents(const Entry& entry) {
    std::uint64_t state = 1469598103934665603ull;
    for (wchar_t unit : entry.product->tag + L"|" + entry.file->name)
        state = (state ^ unit) * 1099511628211ull;
    std::string bytes(static_cast<size_t>(entry.file->size), '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 8 == 0) state = state * 6364136223846793005ull + 1442695040888963407ull;
        bytes[i] = static_cast<char>(state >> (8 * (i % 8)));
    }
    return bytes;
}

DebuggedTool& ToolCase::Start() {
    tool_ = std::make_unique<DebuggedTool>(root_ + L"Norvane.exe", folder_);
    return *tool_;
}

DebuggedTool& ToolCase::Tool() {
    if (!tool_) run_.Abort("driver", "the tool was not started");
    return *tool_;
}

HWND ToolCase::StartToMainDialog() {
    Start();
    return AwaitDialog("the main dialog shown",
                       [](HWND window) { return IsMainDialog(window) && IsWindowVisible(window); });
}

void ToolCase::AbortWithState(std::string_view what, std::string_view expected) {
    DebuggedTool& tool = Tool();
    run_.Abort(what, std::string(expected) + ", but it did not come; " + tool.StateForReport() +
                         "; dialogs of the tool:" + DescribeDialogs(tool.ProcessId()));
}

MessageBoxView ToolCase::AwaitMessageBox(std::string_view stage) {
    return ReadMessageBox(AwaitDialog(
        stage, [](HWND window) { return IsMessageBox(window) && IsWindowVisible(window); }));
}

HWND ToolCase::AwaitDialog(std::string_view what, const std::function<bool(HWND)>& predicate) {
    DebuggedTool& tool = Tool();
    HWND dialog = WaitForDialog(
        tool.ProcessId(), [&] { return tool.HasExited(); }, predicate, kWindowWaitMs);
    if (!dialog) AbortWithState(what, "expected " + std::string(what));
    return dialog;
}

void ToolCase::CheckBox(std::string_view stage, const MessageBoxView& box,
                        const ExpectedBox& expected, HWND owner) {
    const std::string prefix(stage);
    run_.Equal(prefix + ": box caption", expected.caption, box.caption);
    run_.Equal(prefix + ": box text", expected.text, box.text);
    run_.True(
        prefix + ": box icon", box.hasIcon == expected.icon,
        expected.icon ? "expected an icon, the box has none" : "expected no icon, the box has one");
    run_.True(prefix + ": box owner", box.owner == owner,
              "expected owner " + WindowName(owner) + ", actual " + WindowName(box.owner));
    std::string buttons;
    for (int id : box.visibleButtons) buttons += " " + std::to_string(id);
    run_.True(prefix + ": box buttons", box.visibleButtons == std::vector<int>{IDOK},
              "expected only OK (1), actual:" + buttons);
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
        if (!known)
            others += " " + Visible(WindowText(window)) +
                      (IsWindowVisible(window) ? "(visible)" : "(hidden)");
    }
    run_.True(std::string(stage) + ": other dialogs", others.empty(),
              "expected none, found" + others);
}

void ToolCase::CheckDisplay(const std::string& stage, HWND dialog, const Display& expected) {
    DWORD_PTR bar = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, kBar), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &bar);
    const struct {
        const char* what;
        int id;
        const std::wstring& text;
    } texts[] = {{"status", kStatus, expected.status},
                 {"destination folder", kDestination, expected.destination},
                 {"file name", kFileName, expected.fileName},
                 {"total", kTotal, expected.total},
                 {"bytes transferred", kCopied, expected.copied},
                 {"percentage", kPercent, expected.percent}};
    for (const auto& text : texts) {
        run_.Equal(stage + ": " + text.what + " (" + std::to_string(text.id) + ")", text.text,
                   ControlText(dialog, text.id));
    }
    run_.EqualNumber(stage + ": progress bar position (1048)", expected.bar,
                     static_cast<long long>(bar));
    run_.True(stage + ": Start enabled", IsControlEnabled(dialog, kStart) == expected.startEnabled,
              expected.startEnabled ? "expected enabled" : "expected disabled");
    run_.True(stage + ": Exit enabled", IsControlEnabled(dialog, kExit) == expected.exitEnabled,
              expected.exitEnabled ? "expected enabled" : "expected disabled");
}

bool ToolCase::AwaitRunEnd(HWND dialog, DWORD timeoutMs, bool mayClose) {
    DebuggedTool& tool = Tool();
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (true) {
        const bool ended = tool.HasExited();
        if (!IsWindow(dialog) && mayClose) return false;
        // The worker ends its run by setting the status, then enabling Exit.
        const std::wstring status = IsWindow(dialog) ? ControlText(dialog, kStatus) : L"";
        if ((status == kComplete || status == kStopped) && IsControlEnabled(dialog, kExit)) {
            return true;
        }
        for (HWND window : DialogsOf(tool.ProcessId())) {
            if (!IsMessageBox(window) || !IsWindowVisible(window)) continue;
            const MessageBoxView box = ReadMessageBox(window);
            run_.Abort("copy", "expected the run to end without a box, it shows " +
                                   Visible(box.caption) + ": " + Visible(box.text));
        }
        if (ended || !IsWindow(dialog) || GetTickCount64() >= deadline) {
            AbortWithState("copy", "expected the run's end in the status line and Exit enabled");
        }
        Sleep(10);
    }
}

void ToolCase::ExpectExit(DWORD expectedCode) {
    const std::optional<DWORD> code = Tool().WaitForExit(kExitWaitMs);
    if (!code) AbortWithState("end of the tool", "expected the tool to exit");
    // A crash ends the tool with the exception's code; the report names the exception.
    if (*code != expectedCode) {
        run_.Fail("exit code",
                  "expected " + std::to_string(expectedCode) + "; " + tool_->StateForReport());
    }
}

void ToolCase::Exit(HWND dialog, const std::vector<std::wstring>& opened) {
    Click(dialog, kExit);
    ExpectExit(0);
    ExpectOpened(opened);
}

void ToolCase::ExpectDebugOutput(std::wstring_view expected) {
    // Characters outside the ANSI code page arrive as its stand-ins; the code page 932 runs see
    // them.
    run_.Equal("debug output (as it arrives through the ANSI code page)",
               FromAnsi(ToAnsi(expected)), Tool().DebugOutput());
}

void ToolCase::ExpectOpened(const std::vector<std::wstring>& expectedPaths) {
    std::wstring expected;
    for (const auto& path : expectedPaths) expected += path + L"\n";
    // The shell may start the handler through a process of its own, so a busy machine can see
    // the log a while after the tool has ended.
    const ULONGLONG deadline = GetTickCount64() + kRecorderExitWaitMs;
    std::wstring actual;
    for (;;) {
        WaitForRunningRecorders();
        const auto log = ReadBytes(shellLog_);
        actual = log ? FromUtf8(*log) : L"";
        if (actual == expected || GetTickCount64() >= deadline) break;
        Sleep(50);
    }
    run_.Equal("documents opened with the shell (one per line)", expected, actual);
}

bool ToolCase::InstanceMarkerExists() {
    UniqueHandle marker(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMarker));
    return static_cast<bool>(marker);
}

bool IsMainDialog(HWND window) {
    return GetDlgItem(window, kStart) != nullptr && GetDlgItem(window, kExit) != nullptr;
}

bool IsWaitDialog(HWND window) {
    return !IsMessageBox(window) && !IsMainDialog(window) && WindowText(window) == L"Norvane";
}

std::wstring SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocal owner(buffer);
    return buffer ? buffer : L"";
}

std::wstring ErrorReport(int line, std::wstring_view source, std::wstring_view body) {
    const std::wstring down = L"\u2193\u2193\u2193\u2193\u2193\u2193";
    const std::wstring up = L"\u2191\u2191\u2191\u2191\u2191\u2191";
    return down + L" Error " + down + L"\n[" + std::to_wstring(line) + L" line] " +
           std::wstring(source) + L"\n" + std::wstring(body) + up + L" Error " + up + L"\n";
}

bool Is32BitProgram(const std::wstring& exePath) {
    DWORD type = 0;
    return GetBinaryTypeW(exePath.c_str(), &type) && type == SCS_32BIT_BINARY;
}
