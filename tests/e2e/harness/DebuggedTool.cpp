#include "DebuggedTool.h"

#include <cstdio>
#include <stdexcept>

#include "TextForm.h"

namespace {

constexpr DWORD kStartWaitMs = 30000;
constexpr DWORD kEventPollMs = 100;
constexpr DWORD kLoopEndWaitMs = 10000;
// A 32-bit debuggee seen by a 64-bit debugger reports its breakpoints and steps with these codes.
constexpr DWORD kWx86Breakpoint = 0x4000001F;
constexpr DWORD kWx86SingleStep = 0x4000001E;

std::string Hex(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(value));
    return buffer;
}

}  // namespace

DebuggedTool::DebuggedTool(const std::wstring& exePath, const std::wstring& workingFolder)
    : exePath_(exePath), workingFolder_(workingFolder), started_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_.reset(CreateThread(nullptr, 0, &DebuggedTool::ThreadMain, this, 0, nullptr));
    if (!thread_) throw std::runtime_error("cannot create the debugger thread");
    if (WaitForSingleObject(started_.get(), kStartWaitMs) != WAIT_OBJECT_0) {
        InterlockedExchange(&stopRequested_, 1);
        WaitForSingleObject(thread_.get(), kLoopEndWaitMs);
        throw std::runtime_error("the debugger thread did not start the tool within the time limit");
    }
    if (startError_ != 0) {
        WaitForSingleObject(thread_.get(), kLoopEndWaitMs);
        throw std::runtime_error("CreateProcessW of " + ToUtf8(exePath_) + " failed, error " +
                                 std::to_string(startError_));
    }
}

DebuggedTool::~DebuggedTool() {
    if (!HasExited()) Terminate();
    if (WaitForSingleObject(thread_.get(), kLoopEndWaitMs) != WAIT_OBJECT_0) {
        InterlockedExchange(&stopRequested_, 1);
        WaitForSingleObject(thread_.get(), kLoopEndWaitMs);
    }
}

DWORD WINAPI DebuggedTool::ThreadMain(void* self) {
    static_cast<DebuggedTool*>(self)->Run();
    return 0;
}

void DebuggedTool::Run() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exePath_ + L"\"";
    if (!CreateProcessW(exePath_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                        nullptr, workingFolder_.empty() ? nullptr : workingFolder_.c_str(), &startup, &info)) {
        startError_ = GetLastError();
        SetEvent(started_.get());
        return;
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
    SetEvent(started_.get());

    bool running = true;
    while (running) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, kEventPollMs)) {
            if (InterlockedCompareExchange(&stopRequested_, 0, 0)) return;
            continue;
        }
        DWORD continueStatus = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT: {
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            std::lock_guard<std::mutex> guard(lock_);
            trap_.OnModuleLoaded(process_.get(), event.u.LoadDll.lpBaseOfDll);
            break;
        }
        case OUTPUT_DEBUG_STRING_EVENT:
            RecordDebugString(event.u.DebugString);
            break;
        case EXCEPTION_DEBUG_EVENT:
            continueStatus = HandleException(event);
            break;
        case EXIT_PROCESS_DEBUG_EVENT: {
            std::lock_guard<std::mutex> guard(lock_);
            exited_ = true;
            exitCode_ = event.u.ExitProcess.dwExitCode;
            running = false;
            break;
        }
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
    }
}

DWORD DebuggedTool::HandleException(const DEBUG_EVENT& event) {
    const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
    const DWORD code = record.ExceptionCode;
    std::lock_guard<std::mutex> guard(lock_);
    if (code == EXCEPTION_BREAKPOINT || code == kWx86Breakpoint) {
        UniqueHandle thread(OpenThread(THREAD_GET_CONTEXT | THREAD_SET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE,
                                       event.dwThreadId));
        std::wstring text;
        if (thread && trap_.OnBreakpoint(process_.get(), thread.get(), event.dwThreadId, record.ExceptionAddress,
                                         text)) {
            wideDebugOutput_ += text;
            return DBG_CONTINUE;
        }
        // The loader's breakpoint at process start belongs to every debuggee.
        if (!initialBreakpointSeen_) {
            initialBreakpointSeen_ = true;
            return DBG_CONTINUE;
        }
    }
    if ((code == EXCEPTION_SINGLE_STEP || code == kWx86SingleStep) &&
        trap_.OnSingleStep(process_.get(), event.dwThreadId)) {
        return DBG_CONTINUE;
    }
    if (!event.u.Exception.dwFirstChance) crashCode_ = code;
    return DBG_EXCEPTION_NOT_HANDLED;
}

void DebuggedTool::RecordDebugString(const OUTPUT_DEBUG_STRING_INFO& info) {
    const size_t units = info.nDebugStringLength;
    if (units == 0) return;
    const size_t unitSize = info.fUnicode ? sizeof(wchar_t) : 1;
    std::string raw(units * unitSize, '\0');
    SIZE_T read = 0;
    ReadProcessMemory(process_.get(), info.lpDebugStringData, raw.data(), raw.size(), &read);
    raw.resize(read);
    std::wstring text;
    if (info.fUnicode) {
        text.assign(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
    } else {
        text = FromAnsi(raw);
    }
    // The length counts the terminating NUL.
    const size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    std::lock_guard<std::mutex> guard(lock_);
    debugOutput_ += text;
}

bool DebuggedTool::HasExited() const {
    std::lock_guard<std::mutex> guard(lock_);
    return exited_;
}

std::optional<DWORD> DebuggedTool::WaitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(thread_.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    std::lock_guard<std::mutex> guard(lock_);
    if (!exited_) return std::nullopt;
    return exitCode_;
}

void DebuggedTool::Terminate() {
    if (process_) TerminateProcess(process_.get(), 0xDEAD);
}

std::wstring DebuggedTool::DebugOutput() const {
    std::lock_guard<std::mutex> guard(lock_);
    return debugOutput_;
}

std::optional<std::wstring> DebuggedTool::WideDebugOutput() const {
    std::lock_guard<std::mutex> guard(lock_);
    if (!trap_.IsSet()) return std::nullopt;
    return wideDebugOutput_;
}

std::optional<DWORD> DebuggedTool::CrashCode() const {
    std::lock_guard<std::mutex> guard(lock_);
    return crashCode_;
}

std::string DebuggedTool::StateForReport() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::string state;
    if (crashCode_) {
        state = "the tool crashed with exception " + Hex(*crashCode_);
    } else if (exited_) {
        state = "the tool exited with code " + std::to_string(exitCode_);
    } else {
        state = "the tool is still running";
    }
    state += "; debug output so far: " + Visible(debugOutput_);
    return state;
}
