#pragma once
// The tool under test, started as a debuggee so that its debugger output reaches the driver.
// Windows delivers debug events only to the thread that created the debuggee, so a thread of its
// own starts the tool and runs the event loop; the test thread meanwhile drives the windows.
#include <windows.h>

#include <mutex>
#include <optional>
#include <string>

#include "Files.h"

class DebuggedTool {
public:
    // Starts the program (no arguments) in the given working folder; throws when it cannot start.
    DebuggedTool(const std::wstring& exePath, const std::wstring& workingFolder);
    DebuggedTool(const DebuggedTool&) = delete;
    DebuggedTool& operator=(const DebuggedTool&) = delete;
    // A tool still running at this point is ended: a failed case never leaves it behind.
    ~DebuggedTool();

    DWORD ProcessId() const { return processId_; }
    bool HasExited() const;
    // The exit code once the process has ended within the time; none otherwise.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);
    // The debugger output as it arrived: every OUTPUT_DEBUG_STRING_EVENT text in order, joined.
    // Wine hands over OutputDebugStringW text in the ANSI code page.
    std::wstring DebugOutput() const;
    // One line about the process for failure reports: running, exit code or crash, output so far.
    std::string StateForReport() const;

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    DWORD HandleException(const DEBUG_EVENT& event);
    void RecordDebugString(const OUTPUT_DEBUG_STRING_INFO& info);

    std::wstring exePath_;
    std::wstring workingFolder_;
    UniqueHandle started_;
    UniqueHandle thread_;
    UniqueHandle process_;
    DWORD processId_ = 0;
    DWORD startError_ = 0;
    volatile LONG stopRequested_ = 0;

    mutable std::mutex lock_;  // guards everything below
    bool exited_ = false;
    DWORD exitCode_ = 0;
    std::optional<DWORD> crashCode_;
    std::wstring debugOutput_;
    bool initialBreakpointSeen_ = false;
};
