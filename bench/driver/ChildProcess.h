#pragma once
// A program the driver starts and waits for. One that still runs when its owner goes is ended,
// so a failed figure never leaves the tool (and its single-instance guard) behind.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/UniqueResource.h"

class ChildProcess {
public:
    // Starts the command line in the working folder; with quiet, its console output goes to NUL.
    // Throws std::runtime_error when it cannot start.
    ChildProcess(const std::wstring& commandLine, const std::wstring& workingFolder, bool quiet);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    DWORD Id() const { return id_; }
    bool HasEnded() const;
    // The exit code once the process has ended within the time; none otherwise.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);

private:
    UniqueResource<NullHandleTraits> process_;
    DWORD id_ = 0;
};

// "text" in double quotes, for a command line.
std::wstring Quoted(const std::wstring& text);
