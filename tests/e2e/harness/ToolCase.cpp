#include "ToolCase.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

// The recorder is the "open" handler of ".txt" under this ProgId, in HKLM\Software\Classes: Wine
// does not merge HKCU\Software\Classes into the classes root.
constexpr wchar_t kTextKey[] = L"Software\\Classes\\.txt";
constexpr wchar_t kRecorderKey[] = L"Software\\Classes\\NorvaneE2E.Recorder";
constexpr DWORD kMessageTimeoutMs = 5000;
// A message box has the icon control (Wine makes it even for a box without icon) and the text.
constexpr int kIconControl = 1088, kTextControl = 0xFFFF;
// A 32-bit debuggee seen by a 64-bit debugger reports its breakpoints with this code.
constexpr DWORD kWx86Breakpoint = 0x4000001F;

// The keys of the cases, also those an interrupted earlier run left behind.
void ForgetCaseKeys() {
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

bool IsMessageBox(HWND window) {
    return GetDlgItem(window, kIconControl) && GetDlgItem(window, kTextControl);
}

}  // namespace

ToolCase::ToolCase(ScenarioRun& run, const std::wstring& caseFolder)
    : run(run),
      folder(caseFolder),
      root(caseFolder + L"package\\"),
      shellLog_(caseFolder + L"shell-open.log"),
      started_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    ForgetCaseKeys();
    MakeFolders(root);
    if (!CopyFileW(run.productExe.c_str(), (root + L"Norvane.exe").c_str(), FALSE)) {
        throw std::runtime_error("copying the tool failed, error " +
                                 std::to_string(GetLastError()));
    }
    wchar_t old[256];
    DWORD size = sizeof old;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kTextKey, nullptr, RRF_RT_REG_SZ, nullptr, old, &size) ==
        ERROR_SUCCESS)
        oldTextHandler_ = old;
    SetValue(HKEY_LOCAL_MACHINE, kRecorderKey + std::wstring(L"\\shell\\open\\command"), L"",
             L"\"" + run.driverFolder + L"e2e_recorder.exe\" \"" + shellLog_ + L"\" \"%1\"");
    SetValue(HKEY_LOCAL_MACHINE, kTextKey, L"", L"NorvaneE2E.Recorder");
}

ToolCase::~ToolCase() {
    if (process_ && !HasExited()) TerminateProcess(process_.get(), 0xDEAD);
    if (thread_ && WaitForSingleObject(thread_.get(), 10000) != WAIT_OBJECT_0) {
        InterlockedExchange(&stop_, 1);
        WaitForSingleObject(thread_.get(), 10000);
    }
    ForgetCaseKeys();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRecorderKey);
    if (oldTextHandler_) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kTextKey, nullptr, REG_SZ, oldTextHandler_->c_str(),
                        static_cast<DWORD>((oldTextHandler_->size() + 1) * sizeof(wchar_t)));
    }
}

void ToolCase::HoldOpen(const std::wstring& path, DWORD access, DWORD share) {
    held_.emplace_back(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held_.back()) run.Abort("setup", "cannot hold " + Narrow(path) + " open");
}

void ToolCase::WritePackage(const std::vector<Product>& products, const std::wstring& launchLine) {
    products_ = products;
    std::wstring list = launchLine + L"\r\n";
    for (const Product& product : products_) {
        const std::wstring key = L"Software\\NorvaneE2E\\" + product.tag;
        const std::wstring install = Install(product);
        if (product.install.empty()) MakeFolders(install);
        // The per-user value without its trailing backslash (the tool adds it), the other with.
        if (product.keys == PerUser) {
            SetValue(HKEY_CURRENT_USER, key, L"INSTALLDIR", install.substr(0, install.size() - 1));
        } else if (product.keys == PerMachine) {
            SetValue(HKEY_LOCAL_MACHINE, key, L"INSTALLDIR", install);
        }
        list += L"[SetParamter]\r\n" + key + L"\r\nNone\r\n" + product.action + L"\r\n" +
                product.message + L"\r\n%Root%\\" + product.tag + L"\\\r\n";
        for (const Listed& file : product.files) {
            list += file.name + L"\r\n";
            entries_.push_back({&product, &file});
            if (file.size != kNotWritten) {
                WriteBytes(root + (product.tag + L"\\" + file.name), Contents(entries_.back()));
            }
        }
    }
    WriteBytes(root + L"Update.up", Narrow(list, CP_ACP));
    WriteBytes(root + L"Report.txt", "report");
}

std::string ToolCase::Contents(const Entry& entry) {
    const size_t seed = std::hash<std::wstring>()(entry.product->tag + L"|" + entry.file->name);
    std::string bytes(static_cast<size_t>(entry.file->size), '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(seed + i * 7 + i / 253);
    return bytes;
}

void ToolCase::Start() {
    thread_.reset(CreateThread(nullptr, 0, &ToolCase::DebugLoop, this, 0, nullptr));
    if (!thread_ || WaitForSingleObject(started_.get(), 30000) != WAIT_OBJECT_0 || !process_) {
        InterlockedExchange(&stop_, 1);
        run.Abort("start", "the tool did not start, error " + std::to_string(startError_));
    }
}

DWORD WINAPI ToolCase::DebugLoop(void* self) {
    static_cast<ToolCase*>(self)->RunDebugLoop();
    return 0;
}

void ToolCase::RunDebugLoop() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + root + L"Norvane.exe\"";
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                       DEBUG_ONLY_THIS_PROCESS, nullptr, folder.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        processId_ = info.dwProcessId;
    }
    startError_ = GetLastError();
    SetEvent(started_.get());
    bool initialBreakpointSeen = false;
    while (process_ && !InterlockedCompareExchange(&stop_, 0, 0)) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 100)) continue;
        DWORD continueStatus = DBG_CONTINUE;
        std::lock_guard<std::mutex> guard(lock_);
        if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
            CloseHandle(event.u.CreateProcessInfo.hFile);
        } else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
            CloseHandle(event.u.LoadDll.hFile);
        } else if (event.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT) {
            std::string text(event.u.DebugString.nDebugStringLength, '\0');
            SIZE_T read = 0;
            ReadProcessMemory(process_.get(), event.u.DebugString.lpDebugStringData, text.data(),
                              text.size(), &read);
            text.resize(std::min<size_t>(read, text.find('\0')));  // the length counts the NUL
            debugOutput_ += Widen(text, CP_ACP);
        } else if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT) {
            const DWORD code = event.u.Exception.ExceptionRecord.ExceptionCode;
            // The loader's breakpoint at process start belongs to every debuggee.
            if (initialBreakpointSeen ||
                (code != EXCEPTION_BREAKPOINT && code != kWx86Breakpoint)) {
                if (!event.u.Exception.dwFirstChance) crashCode_ = code;
                continueStatus = DBG_EXCEPTION_NOT_HANDLED;
            }
            initialBreakpointSeen = true;
        } else if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
            exitCode_ = event.u.ExitProcess.dwExitCode;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
        if (exitCode_) return;
    }
}

bool ToolCase::HasExited() const {
    std::lock_guard<std::mutex> guard(lock_);
    return exitCode_.has_value();
}

void ToolCase::AbortWithState(const std::string& expected) {
    std::string state = "the tool is still running";
    {
        std::lock_guard<std::mutex> guard(lock_);
        char code[80];
        if (crashCode_) {
            std::snprintf(code, sizeof code, "the tool crashed with exception 0x%08lX",
                          static_cast<unsigned long>(*crashCode_));
        } else if (exitCode_) {
            std::snprintf(code, sizeof code, "the tool exited with code %lu",
                          static_cast<unsigned long>(*exitCode_));
        }
        if (crashCode_ || exitCode_) state = code;
        state += "; its debug output: " + Visible(debugOutput_) + "; its dialogs:";
    }
    for (HWND window : Dialogs()) {
        state +=
            "\n      " + Visible(WindowText(window)) +
            (IsWindowVisible(window) ? " shown" : " hidden") +
            (IsMessageBox(window) ? ", text " + Visible(ControlText(window, kTextControl)) : "");
    }
    run.Abort("waiting", "expected " + expected + ", but " + state);
}

void ToolCase::Until(const std::string& expected, const std::function<bool()>& done,
                     DWORD timeoutMs) {
    for (const ULONGLONG deadline = GetTickCount64() + timeoutMs;; Sleep(10)) {
        // Read first, so that a window shown just before the end is still looked at.
        const bool ended = HasExited();
        if (done()) return;
        if (ended || GetTickCount64() >= deadline) AbortWithState(expected);
    }
}

HWND ToolCase::StartToMainDialog() {
    Start();
    return AwaitDialog("the main dialog shown",
                       [](HWND window) { return IsMainDialog(window) && IsWindowVisible(window); });
}

std::vector<HWND> ToolCase::Dialogs() const {
    std::vector<HWND> found;
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
         window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId_) found.push_back(window);
    }
    return found;
}

HWND ToolCase::AwaitDialog(const std::string& what, const std::function<bool(HWND)>& predicate) {
    HWND found = nullptr;
    Until(what, [&] {
        for (HWND window : Dialogs()) {
            if (predicate(window)) found = window;
        }
        return found != nullptr;
    });
    return found;
}

MessageBoxView ToolCase::ExpectBox(const std::string& stage, const MessageBoxView& expected,
                                   HWND owner) {
    HWND window = AwaitDialog(stage + ": a message box shown", [](HWND candidate) {
        return IsMessageBox(candidate) && IsWindowVisible(candidate);
    });
    DWORD_PTR icon = 0;
    SendMessageTimeoutW(GetDlgItem(window, kIconControl), STM_GETICON, 0, 0, SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &icon);
    const MessageBoxView box{WindowText(window), ControlText(window, kTextControl), icon != 0,
                             window, GetWindow(window, GW_OWNER)};
    run.Equal(stage + ": box caption", expected.caption, box.caption);
    run.Equal(stage + ": box text", expected.text, box.text);
    run.True(stage + ": box icon", box.icon == expected.icon,
             expected.icon ? "expected an icon, the box has none" : "expected none, it has one");
    run.True(stage + ": box owner", box.owner == owner,
             owner ? "expected the main dialog" : "expected no owner");
    return box;
}

void ToolCase::Answer(const MessageBoxView& box) {
    PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Until("the box closed on OK", [&] { return !IsWindow(box.window); });
}

bool ToolCase::AwaitRunEnd(HWND dialog, DWORD timeoutMs, bool mayClose) {
    bool closed = false;
    Until(
        "the run's end in the status line and Exit enabled",
        [&] {
            for (HWND window : Dialogs()) {
                if (IsMessageBox(window) && IsWindowVisible(window)) {
                    run.Abort("copy", "expected the run to end without a box, it shows " +
                                          Visible(ControlText(window, kTextControl)));
                }
            }
            // The worker ends its run by setting the status, then enabling Exit.
            const std::wstring status = ControlText(dialog, IDC_STATUS);
            closed = mayClose && !IsWindow(dialog);
            return closed || ((status == kComplete || status == kStopped) &&
                              IsWindowEnabled(GetDlgItem(dialog, IDC_EXIT)));
        },
        timeoutMs);
    return !closed;
}

void ToolCase::ExpectEnd(const std::vector<std::wstring>& opened, const std::wstring& debugOutput) {
    WaitForSingleObject(thread_.get(), 15000);
    if (!HasExited()) AbortWithState("the tool to exit");
    {
        std::lock_guard<std::mutex> guard(lock_);
        run.Equal("exit code" + std::string(crashCode_ ? " (a crash)" : ""), L"0",
                  std::to_wstring(*exitCode_));
        // Characters outside the ANSI code page arrive as its stand-ins.
        run.Equal("debug output (as it arrives through the ANSI code page)",
                  Widen(Narrow(debugOutput, CP_ACP), CP_ACP), debugOutput_);
    }
    std::wstring expected, actual;
    for (const auto& path : opened) expected += path + L"\n";
    // The shell has started the recorder by the time its call in the tool returned, but the
    // recorder writes the log a little later: running recorders are waited for, the log polled.
    for (const ULONGLONG deadline = GetTickCount64() + 10000;; Sleep(50)) {
        UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
             more = Process32NextW(snapshot.get(), &entry)) {
            if (_wcsicmp(entry.szExeFile, L"e2e_recorder.exe") != 0) continue;
            UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
            if (process) WaitForSingleObject(process.get(), 10000);
        }
        actual = Widen(ReadBytes(shellLog_).value_or(""));
        if (actual == expected || GetTickCount64() >= deadline) break;
    }
    run.Equal("documents opened with the shell (one per line)", expected, actual);
}

void ToolCase::Exit(HWND dialog, const std::vector<std::wstring>& opened,
                    const std::wstring& debugOutput) {
    Click(dialog, IDC_EXIT);
    ExpectEnd(opened, debugOutput);
}

void SetValue(HKEY root, const std::wstring& subKey, const std::wstring& name,
              const std::wstring& data, REGSAM view) {
    UniqueHkey key;
    LSTATUS status = RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view,
                                     nullptr, key.put(), nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("setting the registry value " + Narrow(subKey) + "\\" +
                                 Narrow(name) + " failed, error " + std::to_string(status));
    }
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

void Click(HWND dialog, int controlId) {
    PostMessageW(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

bool IsMainDialog(HWND window) {
    return GetDlgItem(window, IDC_START) && GetDlgItem(window, IDC_EXIT);
}

bool IsWaitDialog(HWND window) {
    return !IsMessageBox(window) && !IsMainDialog(window) && WindowText(window) == L"Norvane";
}

std::wstring View(HWND dialog) {
    std::wstring view;
    for (int id : {IDC_STATUS, IDC_DEST_FOLDER, IDC_FILE_NAME, IDC_TOTAL_BYTES, IDC_COPIED_BYTES,
                   IDC_PERCENT}) {
        view += ControlText(dialog, id) + L"\n";
    }
    DWORD_PTR bar = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, IDC_PROGRESS), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &bar);
    view += L"bar " + std::to_wstring(bar) + L"\n";
    for (int id : {IDC_START, IDC_EXIT}) {
        view += ControlText(dialog, id) +
                (IsWindowEnabled(GetDlgItem(dialog, id)) ? L" enabled\n" : L" disabled\n");
    }
    return view;
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

std::wstring ErrorReport(int line, const std::wstring& source, const std::wstring& body) {
    const std::wstring down(6, L'\u2193'), up(6, L'\u2191');
    return down + L" Error " + down + L"\n[" + std::to_wstring(line) + L" line] " + source + L"\n" +
           body + up + L" Error " + up + L"\n";
}
