#pragma once
// A breakpoint on OutputDebugStringW in the debuggee's kernelbase.dll that reads the UTF-16 text
// the program passes, before Wine narrows it to the ANSI code page for the debug event.
// It works from the PE export table in the debuggee's memory, so it serves a debuggee of either
// bitness. Any step that fails leaves the trap unset; the ANSI text is then all there is.
#include <windows.h>

#include <cstdint>
#include <string>

class DebugStringTrap {
public:
    // For every module the debuggee loads: sets the trap when the module is kernelbase.dll.
    void OnModuleLoaded(HANDLE process, void* base);
    bool IsSet() const { return address_ != 0; }

    // A breakpoint at the trap: reads the text into `text`, takes the breakpoint out and lets the
    // thread step over the original instruction. False when the breakpoint is not the trap's.
    bool OnBreakpoint(HANDLE process, HANDLE thread, DWORD threadId, const void* address, std::wstring& text);
    // The single step after a trap hit: puts the breakpoint back. False when it is not that step.
    bool OnSingleStep(HANDLE process, DWORD threadId);

private:
    bool WriteByte(HANDLE process, std::uint8_t value);

    std::uintptr_t address_ = 0;
    std::uint8_t original_ = 0;
    DWORD steppingThread_ = 0;
};
