#pragma once
// One run of the tool as a user meets it: its package, registry values and the recorder as the
// shell's ".txt" handler for the case; the tool started as the driver's debuggee (so its debugger
// output reaches the driver), its windows awaited, read and answered, and its end. Every wait is
// bounded and, when it runs out, ends the case with what the tool showed instead. Windows are read
// through SendMessageTimeoutW, so a hung tool cannot hang the driver; presses are posted, since
// the handler of a press may sit in a box's loop.
#include "Scenario.h"
// After windows.h:
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <mutex>

#include "resource.h"

inline constexpr wchar_t kComplete[] = L"Copy complete!", kStopped[] = L"Copy stopped.";
// A message box has the icon control (Wine makes it even for a box without icon) and the text.
inline constexpr int kIconControl = 1088, kTextControl = 0xFFFF;
inline constexpr DWORD kWaitMs = 15000;

inline std::wstring WindowText(HWND window) {
    std::wstring text(32768, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
        return L"<no answer to WM_GETTEXT>";
    }
    return text.substr(0, copied);
}
inline std::wstring ControlText(HWND dialog, int id) {
    return GetDlgItem(dialog, id) ? WindowText(GetDlgItem(dialog, id)) : L"<no control>";
}
inline void Click(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
inline bool IsMessageBox(HWND window) {
    return GetDlgItem(window, kIconControl) && GetDlgItem(window, kTextControl);
}
inline bool IsMainDialog(HWND window) {
    return GetDlgItem(window, IDC_START) && GetDlgItem(window, IDC_EXIT);
}
inline bool IsWaitDialog(HWND window) {  // the tool's other dialog captioned "Norvane"
    return !IsMessageBox(window) && !IsMainDialog(window) && WindowText(window) == L"Norvane";
}

// The main dialog's view, a line each: status, destination folder, file name, total, bytes
// copied, percentage, bar position, and whether Start and Exit are enabled.
inline std::wstring View(HWND dialog) {
    std::wstring view;
    for (int id : {IDC_STATUS, IDC_DEST_FOLDER, IDC_FILE_NAME, IDC_TOTAL_BYTES, IDC_COPIED_BYTES,
                   IDC_PERCENT}) {
        view += ControlText(dialog, id) + L"\n";
    }
    DWORD_PTR bar = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, IDC_PROGRESS), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000,
                        &bar);
    view += L"bar " + std::to_wstring(bar) + L"\n";
    for (int id : {IDC_START, IDC_EXIT})
        view += ControlText(dialog, id) +
                (IsWindowEnabled(GetDlgItem(dialog, id)) ? L" enabled\n" : L" disabled\n");
    return view;
}

// The text that the system holds for an error code, fetched the way the tool fetches it.
inline std::wstring SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocal owner(buffer);
    return buffer ? buffer : L"";
}

// A report of the tool on the debugger output: where it comes from, then `body`, between bars.
inline std::wstring ErrorReport(int line, const std::wstring& source, const std::wstring& body) {
    const std::wstring down(6, L'\u2193'), up(6, L'\u2191');
    return down + L" Error " + down + L"\n[" + std::to_wstring(line) + L" line] " + source + L"\n" +
           body + up + L" Error " + up + L"\n";
}

// Sets a REG_SZ value in the given view (0: the driver's own, which is the tool's).
inline void SetValue(HKEY root, const std::wstring& subKey, const wchar_t* name,
                     const std::wstring& data, REGSAM view = 0, DWORD type = REG_SZ) {
    UniqueHkey key;
    if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                        key.put(), nullptr) ||
        RegSetValueExW(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)))) {
        throw std::runtime_error("setting a value of " + Narrow(subKey) + " failed");
    }
}

// A file line of a section. Its source gets `size` bytes of contents of its own, so that a
// swapped, truncated or stale copy shows.
struct Listed {
    std::wstring name;
    long long size;
};
// Where the product's INSTALLDIR value is. The expandable one names the install folder through
// the variable NORVANE_E2E_CASE, the case folder, which the tool inherits from the driver.
enum Keys { NoKey, PerUser, PerMachine, PerMachineExpandable };

// A section of "Update.up": the key Software\NorvaneE2E\<tag>, the sources under <root><tag>\,
// the install folder: given, or <case>install\<tag>\, made beforehand.
struct Product {
    std::wstring tag;
    Keys keys;
    std::vector<Listed> files;
    std::wstring action = L"0", message = L"not shown", install = L"";
};

struct MessageBoxView {  // as read; as expected, without window and owner
    std::wstring caption, text;
    bool icon = false;
    HWND window = nullptr, owner = nullptr;
};

class ToolCase {
public:
    ScenarioRun& run;
    const std::wstring folder, root;  // the case folder, the package folder in it
    struct Entry {
        const Product* product;
        const Listed* file;
    };
    std::vector<Entry> entries;  // in list order
    std::wstring arguments;      // after the program's name on its command line, with a blank

    ToolCase(ScenarioRun& scenario, const std::wstring& caseFolder)
        : run(scenario), folder(caseFolder), root(caseFolder + L"package\\") {
        ForgetCaseKeys();
        MakeFolders(root);
        std::filesystem::copy_file(run.productExe, root + L"Norvane.exe");
        wchar_t old[256];
        DWORD size = sizeof old;
        if (!RegGetValueW(HKEY_LOCAL_MACHINE, kTextKey, nullptr, RRF_RT_REG_SZ, nullptr, old,
                          &size))
            oldTextHandler_ = old;
        SetValue(HKEY_LOCAL_MACHINE, kRecorderKey + std::wstring(L"\\shell\\open\\command"), L"",
                 L"\"" + run.driverFolder + L"e2e_recorder.exe\" \"" + folder +
                     L"shell-open.log\" \"%1\"");
        SetValue(HKEY_LOCAL_MACHINE, kTextKey, L"", L"NorvaneE2E.Recorder");
    }
    ToolCase(const ToolCase&) = delete;
    ToolCase& operator=(const ToolCase&) = delete;
    ~ToolCase() {  // ends a tool still running: a failed case never leaves it behind
        if (process_ && !HasExited()) TerminateProcess(process_.get(), 0xDEAD);
        if (thread_ && WaitForSingleObject(thread_.get(), kWaitMs) != WAIT_OBJECT_0) {
            InterlockedExchange(&stop_, 1);
            WaitForSingleObject(thread_.get(), kWaitMs);
        }
        ForgetCaseKeys();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRecorderKey);
        const std::wstring old = oldTextHandler_.value_or(L"");
        if (!oldTextHandler_) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kTextKey, nullptr);
        if (oldTextHandler_)
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, kTextKey, nullptr, REG_SZ, old.c_str(),
                            static_cast<DWORD>((old.size() + 1) * sizeof(wchar_t)));
    }

    // The products' sources and registry values, "Report.txt", and the list: the launch line,
    // then a section per product.
    void WritePackage(const std::vector<Product>& products, const std::wstring& launch = L"[x]") {
        products_ = products;
        std::wstring list = launch + L"\r\n";
        for (const Product& product : products_) {
            const std::wstring key = L"Software\\NorvaneE2E\\" + product.tag;
            const std::wstring install = Install(product);
            if (product.install.empty()) MakeFolders(install);
            // The per-user value without its trailing backslash (the tool adds it), the other with.
            if (product.keys == PerUser)
                SetValue(HKEY_CURRENT_USER, key, L"INSTALLDIR",
                         install.substr(0, install.size() - 1));
            if (product.keys == PerMachine)
                SetValue(HKEY_LOCAL_MACHINE, key, L"INSTALLDIR", install, KEY_WOW64_32KEY);
            if (product.keys == PerMachineExpandable) {
                SetEnvironmentVariableW(L"NORVANE_E2E_CASE",
                                        folder.substr(0, folder.size() - 1).c_str());
                SetValue(HKEY_LOCAL_MACHINE, key, L"INSTALLDIR",
                         L"%NORVANE_E2E_CASE%\\" + install.substr(folder.size()), KEY_WOW64_32KEY,
                         REG_EXPAND_SZ);
            }
            list += L"[SetParamter]\r\n" + key + L"\r\nNone\r\n" + product.action + L"\r\n" +
                    product.message + L"\r\n%Root%\\" + product.tag + L"\\\r\n";
            for (const Listed& file : product.files) {
                list += file.name + L"\r\n";
                entries.push_back({&product, &file});
                WriteBytes(root + product.tag + L"\\" + file.name, Contents(entries.back()));
            }
        }
        WriteBytes(root + L"Update.up", Narrow(list, CP_ACP));
        WriteBytes(root + L"Report.txt", "report");
    }
    std::wstring Install(const Product& product) const {  // ends in a backslash
        return product.install.empty() ? folder + L"install\\" + product.tag + L"\\"
                                       : product.install;
    }
    std::wstring Destination(const Entry& entry) const {
        return Install(*entry.product) + entry.file->name;
    }
    static std::string Contents(const Entry& entry) {
        const uint64_t seed =
            std::hash<std::wstring>()(entry.product->tag + L"|" + entry.file->name);
        std::string bytes(static_cast<size_t>(entry.file->size), '\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((seed >> (i % 4 * 8)) + i * 7 + i / 253);
        return bytes;
    }

    // Starts the tool from its package folder, with the case folder as working folder.
    void Start() {
        thread_.reset(CreateThread(nullptr, 0, &ToolCase::DebugLoop, this, 0, nullptr));
        if (!thread_ || WaitForSingleObject(started_.get(), kWaitMs) != WAIT_OBJECT_0 ||
            !process_) {
            InterlockedExchange(&stop_, 1);
            run.Abort("start", "the tool did not start, error " + std::to_string(startError_));
        }
    }
    // Starts the tool again, once the last run has ended, with other arguments.
    void Rerun(const std::wstring& newArguments) {
        if (thread_) WaitForSingleObject(thread_.get(), kWaitMs);
        thread_.reset();
        process_.reset();
        {
            std::lock_guard<std::mutex> guard(lock_);
            exitCode_.reset();
            debugOutput_.clear();
        }
        ResetEvent(started_.get());
        arguments = newArguments;
        Start();
    }
    HWND StartToMainDialog() {
        Start();
        return AwaitDialog("the main dialog shown", [](HWND window) {
            return IsMainDialog(window) && IsWindowVisible(window);
        });
    }
    // Until the tool has ended: whether any window of its own was visible at any time.
    bool ShowsAWindowUntilItEnds() {
        bool shown = false;
        for (const ULONGLONG deadline = GetTickCount64() + kWaitMs;
             !HasExited() && GetTickCount64() < deadline; Sleep(5)) {
            for (HWND window = GetTopWindow(nullptr); window;
                 window = GetWindow(window, GW_HWNDNEXT)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                shown = shown || (owner == processId_ && IsWindowVisible(window));
            }
        }
        return shown;
    }
    std::vector<HWND> Dialogs() const {  // the tool's, shown or hidden
        std::vector<HWND> found;
        for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
             window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == processId_) found.push_back(window);
        }
        return found;
    }
    HWND AwaitDialog(const std::string& what, const std::function<bool(HWND)>& predicate) {
        HWND found = nullptr;
        Until(what, [&] {
            for (HWND window : Dialogs()) found = predicate(window) ? window : found;
            return found != nullptr;
        });
        return found;
    }
    // The next message box shown, checked against what it must show and its owner (or null).
    MessageBoxView ExpectBox(const std::string& stage, const MessageBoxView& expected, HWND owner) {
        HWND window = AwaitDialog(stage + ": a message box shown", [](HWND candidate) {
            return IsMessageBox(candidate) && IsWindowVisible(candidate);
        });
        DWORD_PTR icon = 0;
        SendMessageTimeoutW(GetDlgItem(window, kIconControl), STM_GETICON, 0, 0, SMTO_ABORTIFHUNG,
                            5000, &icon);
        const MessageBoxView box{WindowText(window), ControlText(window, kTextControl), icon != 0,
                                 window, GetWindow(window, GW_OWNER)};
        run.Equal(stage + ": box caption", expected.caption, box.caption);
        run.Equal(stage + ": box text", expected.text, box.text);
        run.True(stage + ": box icon", box.icon == expected.icon,
                 expected.icon ? "expected one, it has none" : "expected none, it has one");
        run.True(stage + ": box owner", box.owner == owner,
                 owner ? "expected the main dialog" : "expected none");
        return box;
    }
    // OK (or the button given), then waits until the box is gone.
    void Answer(const MessageBoxView& box, int button = IDOK) {
        PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        Until("the box closed", [&] { return !IsWindow(box.window); });
    }
    // Waits until the status line tells the run's end and Exit is enabled: the worker ends its
    // run by setting the status, then enabling Exit.
    void AwaitRunEnd(HWND dialog, DWORD timeoutMs = kWaitMs) {
        Until(
            "the run's end in the status line and Exit enabled",
            [&] {
                const std::wstring status = ControlText(dialog, IDC_STATUS);
                return (status == kComplete || status == kStopped) &&
                       IsWindowEnabled(GetDlgItem(dialog, IDC_EXIT));
            },
            timeoutMs);
    }
    // The tool ends with 0 (a crash gives the exception's code), having asked the shell to open
    // these documents (full paths, in order) and written this on the debugger output, which
    // arrives through the ANSI code page.
    void ExpectEnd(const std::vector<std::wstring>& opened, const std::wstring& debugOutput = L"",
                   DWORD exitCode = 0) {
        WaitForSingleObject(thread_.get(), kWaitMs);
        if (!HasExited() || *exitCode_ != exitCode)
            run.True("exit code", false, "expected " + std::to_string(exitCode) + "; " + State());
        run.Equal("debug output", Widen(Narrow(debugOutput, CP_ACP), CP_ACP), DebugOutput());
        std::wstring expected, actual;
        for (const auto& path : opened) expected += path + L"\n";
        // The shell has started the recorder by the time its call in the tool returned, but the
        // recorder writes the log a little later: running recorders are waited for, the log polled.
        for (const ULONGLONG deadline = GetTickCount64() + kWaitMs;; Sleep(50)) {
            UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
            PROCESSENTRY32W entry{};
            entry.dwSize = sizeof entry;
            for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
                 more = Process32NextW(snapshot.get(), &entry)) {
                if (_wcsicmp(entry.szExeFile, L"e2e_recorder.exe") != 0) continue;
                UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
                if (process) WaitForSingleObject(process.get(), kWaitMs);
            }
            actual = Widen(ReadBytes(folder + L"shell-open.log").value_or(""));
            if (actual == expected || GetTickCount64() >= deadline) break;
        }
        run.Equal("documents opened with the shell, one per line", expected, actual);
    }
    void Exit(HWND dialog, const std::vector<std::wstring>& opened,
              const std::wstring& debug = L"") {
        Click(dialog, IDC_EXIT);
        ExpectEnd(opened, debug);
    }

private:
    // The recorder is the "open" handler of ".txt" under this ProgId, in HKLM\Software\Classes:
    // Wine does not merge HKCU\Software\Classes into the classes root.
    static constexpr wchar_t kTextKey[] = L"Software\\Classes\\.txt";
    static constexpr wchar_t kRecorderKey[] = L"Software\\Classes\\NorvaneE2E.Recorder";

    // Also those an interrupted earlier run left behind, in both views of the per-machine keys.
    static void ForgetCaseKeys() {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\NorvaneE2E");
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            UniqueHkey software;
            if (!RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view,
                               software.put()))
                RegDeleteTreeW(software.get(), L"NorvaneE2E");
        }
    }

    // Windows delivers a debuggee's events only to the thread that created it, so a thread of its
    // own starts the tool and runs the event loop while the case drives the windows.
    static DWORD WINAPI DebugLoop(void* self) {
        static_cast<ToolCase*>(self)->RunDebugLoop();
        return 0;
    }
    void RunDebugLoop() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::wstring commandLine = L"\"" + root + L"Norvane.exe\"" + arguments;
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                           DEBUG_ONLY_THIS_PROCESS, nullptr, folder.c_str(), &startup, &info)) {
            CloseHandle(info.hThread);
            process_.reset(info.hProcess);
            processId_ = info.dwProcessId;
        }
        startError_ = GetLastError();
        SetEvent(started_.get());
        while (process_ && !exitCode_ && !InterlockedCompareExchange(&stop_, 0, 0)) {
            DEBUG_EVENT event{};
            if (!WaitForDebugEvent(&event, 100)) continue;
            DWORD continueStatus = DBG_CONTINUE;
            std::lock_guard<std::mutex> guard(lock_);
            const DWORD code = event.dwDebugEventCode;
            if (code == CREATE_PROCESS_DEBUG_EVENT) CloseHandle(event.u.CreateProcessInfo.hFile);
            if (code == LOAD_DLL_DEBUG_EVENT) CloseHandle(event.u.LoadDll.hFile);
            if (code == EXIT_PROCESS_DEBUG_EVENT) exitCode_ = event.u.ExitProcess.dwExitCode;
            if (code == OUTPUT_DEBUG_STRING_EVENT) {  // in the ANSI code page under Wine
                std::string text(event.u.DebugString.nDebugStringLength, '\0');
                SIZE_T read = 0;
                ReadProcessMemory(process_.get(), event.u.DebugString.lpDebugStringData,
                                  text.data(), text.size(), &read);
                debugOutput_ +=
                    Widen(text.substr(0, std::min<size_t>(read, text.find('\0'))), CP_ACP);
            }
            // Breakpoints (the loader's at the start; 0x4000001F from a 32-bit tool) are the
            // debugger's; the tool handles the rest, or ends with the exception's code.
            if (code == EXCEPTION_DEBUG_EVENT) {
                const DWORD exception = event.u.Exception.ExceptionRecord.ExceptionCode;
                if (exception != EXCEPTION_BREAKPOINT && exception != 0x4000001F)
                    continueStatus = DBG_EXCEPTION_NOT_HANDLED;
            }
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
        }
    }
    bool HasExited() const {
        std::lock_guard<std::mutex> guard(lock_);
        return exitCode_.has_value();
    }
    std::wstring DebugOutput() const {
        std::lock_guard<std::mutex> guard(lock_);
        return debugOutput_;
    }
    std::string State() const {  // exit code, debug output and dialogs, for failure reports
        char state[64] = "the tool is still running";
        if (HasExited()) std::snprintf(state, 64, "the tool exited with code 0x%08lX", *exitCode_);
        std::string dialogs;
        for (HWND window : Dialogs()) {
            dialogs +=
                "\n      " + Visible(WindowText(window)) +
                (IsWindowVisible(window) ? " shown" : " hidden") +
                (IsMessageBox(window) ? ", " + Visible(ControlText(window, kTextControl)) : "");
        }
        return state + ("; debug output " + Visible(DebugOutput())) + "; dialogs:" + dialogs;
    }
    // Polls until `done`; ends the case when the time is up or the tool has ended first.
    void Until(const std::string& expected, const std::function<bool()>& done,
               DWORD timeoutMs = kWaitMs) {
        for (const ULONGLONG deadline = GetTickCount64() + timeoutMs;; Sleep(10)) {
            const bool ended = HasExited();  // first: a window shown just before the end counts
            if (done()) return;
            if (ended || GetTickCount64() >= deadline)
                run.Abort("waiting", "expected " + expected + ", but " + State());
        }
    }

    std::optional<std::wstring> oldTextHandler_;
    std::vector<Product> products_;
    UniqueHandle started_{CreateEventW(nullptr, TRUE, FALSE, nullptr)}, thread_, process_;
    DWORD processId_ = 0, startError_ = 0;
    volatile LONG stop_ = 0;
    mutable std::mutex lock_;        // guards the two below
    std::optional<DWORD> exitCode_;  // a crash's is the exception's code
    std::wstring debugOutput_;
};

// A case of the scenario, run with a ToolCase in its fresh work folder.
inline void Case(ScenarioRun& run, const std::wstring& name,
                 const std::function<void(ToolCase&)>& body) {
    run.Case(name, [&](const std::wstring& folder) {
        ToolCase tool(run, folder);
        body(tool);
    });
}
