#include "driver/ChildProcess.h"

#include <stdexcept>

#include "driver/TextOut.h"

ChildProcess::ChildProcess(const std::wstring& commandLine, const std::wstring& workingFolder,
                           bool quiet) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    UniqueFile nul;
    if (quiet) {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        nul.reset(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0,
                                nullptr));
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nul.get();
    }
    std::wstring line = commandLine;  // CreateProcessW may write into it
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, quiet ? TRUE : FALSE, 0, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                          &started)) {
        throw std::runtime_error("cannot start " + ToUtf8(commandLine) + ", error " +
                                 std::to_string(::GetLastError()));
    }
    ::CloseHandle(started.hThread);
    process_.reset(started.hProcess);
    id_ = started.dwProcessId;
}

ChildProcess::~ChildProcess() {
    if (!HasEnded()) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 10000);
    }
}

bool ChildProcess::HasEnded() const {
    return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}
