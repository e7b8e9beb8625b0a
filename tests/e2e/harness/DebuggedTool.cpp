#include "DebuggedTool.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "TextForm.h"

namespace {

constexpr DWORD kStartWaitMs = 30000;
constexpr DWORD kEventPollMs = 100;
constexpr DWORD kLoopEndWaitMs = 10000;
// A 32-bit debuggee seen by a 64-bit debugger reports its breakpoints with this code.
constexpr DWORD kWx86Breakpoint = 0x4000001F;

}  // namespace

DebuggedTool::DebuggedTool(const std::wstring& exePath, const std::wstring& workingFolder)
    : exePath_(exePath),
      workingFolder_(workingFolder),
      started_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_.reset(CreateThread(nullptr, 0, &DebuggedTool::ThreadMain, this, 0, nullptr));
    const bool answered =
        thread_ && WaitForSingleObject(started_.get(), kStartWaitMs) == WAIT_OBJECT_0;
    if (answered && startError_ == 0) return;
    InterlockedExchange(&stopRequested_, 1);
    if (thread_) WaitForSingleObject(thread_.get(), kLoopEndWaitMs);
    throw std::runtime_error(
        answered ? "CreateProcessW of " + ToUtf8(exePath_) + " failed, error " +
                       std::to_string(startError_)
                 : std::string("the debugger thread did not start the tool in time"));
}

DebuggedTool::~DebuggedTool() {
    if (!HasExited() && process_) TerminateProcess(process_.get(), 0xDEAD);
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
    if (!CreateProcessW(exePath_.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        DEBUG_ONLY_THIS_PROCESS, nullptr, workingFolder_.c_str(), &startup,
                        &info)) {
        startError_ = GetLastError();
        SetEvent(started_.get());
        return;
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
    SetEvent(started_.get());

    for (bool running = true; running;) {
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
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
                break;
            case OUTPUT_DEBUG_STRING_EVENT: RecordDebugString(event.u.DebugString); break;
            case EXCEPTION_DEBUG_EVENT: continueStatus = HandleException(event); break;
            case EXIT_PROCESS_DEBUG_EVENT: {
                std::lock_guard<std::mutex> guard(lock_);
                exited_ = true;
                exitCode_ = event.u.ExitProcess.dwExitCode;
                running = false;
                break;
            }
            default: break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
    }
}

DWORD DebuggedTool::HandleException(const DEBUG_EVENT& event) {
    const DWORD code = event.u.Exception.ExceptionRecord.ExceptionCode;
    std::lock_guard<std::mutex> guard(lock_);
    // The loader's breakpoint at process start belongs to every debuggee.
    if ((code == EXCEPTION_BREAKPOINT || code == kWx86Breakpoint) && !initialBreakpointSeen_) {
        initialBreakpointSeen_ = true;
        return DBG_CONTINUE;
    }
    if (!event.u.Exception.dwFirstChance) crashCode_ = code;
    return DBG_EXCEPTION_NOT_HANDLED;
}

void DebuggedTool::RecordDebugString(const OUTPUT_DEBUG_STRING_INFO& info) {
    const size_t unitSize = info.fUnicode ? sizeof(wchar_t) : 1;
    std::string raw(info.nDebugStringLength * unitSize, '\0');
    SIZE_T read = 0;
    ReadProcessMemory(process_.get(), info.lpDebugStringData, raw.data(), raw.size(), &read);
    raw.resize(read);
    std::wstring text =
        info.fUnicode ? std::wstring(reinterpret_cast<const wchar_t*>(raw.data()), read / unitSize)
                      : FromAnsi(raw);
    // The length counts the terminating NUL.
    text.resize(std::min(text.size(), text.find(L'\0')));
    std::lock_guard<std::mutex> guard(lock_);
    debugOutput_ += text;
}

bool DebuggedTool::HasExited() const {
    std::lock_guard<std::mutex> guard(lock_);
    return exited_;
}

std::optional<DWORD> DebuggedTool::WaitForExit(DWORD timeoutMs) {
    const bool ended = WaitForSingleObject(thread_.get(), timeoutMs) == WAIT_OBJECT_0;
    std::lock_guard<std::mutex> guard(lock_);
    return ended && exited_ ? std::optional<DWORD>(exitCode_) : std::nullopt;
}

std::wstring DebuggedTool::DebugOutput() const {
    std::lock_guard<std::mutex> guard(lock_);
    return debugOutput_;
}

std::string DebuggedTool::StateForReport() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::string state = "the tool is still running";
    if (crashCode_) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(*crashCode_));
        state = std::string("the tool crashed with exception ") + code;
    } else if (exited_) {
        state = "the tool exited with code " + std::to_string(exitCode_);
    }
    return state + "; debug output so far: " + Visible(debugOutput_);
}
