// Runs and times, under Wine, what scripts/bench compares: the tool end to end, its preparation
// against the floor of any preparation, its replacement of changed files against the floor of a
// safe replacement, and Wine's xcopy on the same files. Prints one "name value" line per figure
// (times in milliseconds); the script pairs and summarises them.
//
//   bench_driver [--warm <MiB>] <mode> <arguments>
// With --warm, that much free memory is warmed right before each clock starts (WarmMemory.h).
//
//   bench_driver tool <package folder>          prepare_ms, run_ms: a whole run with Start
//   bench_driver prepare <package folder>       prepare_ms: start to main dialog, then Exit
//   bench_driver floor-time <file list>         floor_ms: this driver opening each listed
//                                               source, as its own process, start to end
//   bench_driver floor <file list>              (the floor's own process)
//   bench_driver xcopy <source> <destination>   xcopy_ms: xcopy /E /I /Y /Q, start to end
//   bench_driver xcopy-start <empty> <dest>     xcopy_start_ms: the same with no file to copy
//   bench_driver replace-floor <source> <dest>  replace_floor_ms, replace_floor_files: in this
//                                               process, each file of the destination replaced
//                                               safely by its source (ReplaceFloor.h), first
//                                               file to last
// Exit code 0 when the figure was taken, 1 when something went wrong (said on stderr), 2 for
// wrong use.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <stdexcept>
#include <string>

#include "Stopwatch.h"
#include "driver/ChildProcess.h"
#include "driver/OpenEachListed.h"
#include "driver/ReplaceFloor.h"
#include "driver/TextOut.h"
#include "driver/ToolRun.h"
#include "driver/WarmMemory.h"

namespace {
constexpr DWORD kChildLimitMs = 600000;
size_t g_warmMebibytes = 0;

void BeforeClock() {
    WarmFreeMemory(g_warmMebibytes);
}

std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring XcopyPath() {
    wchar_t folder[MAX_PATH] = {};
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\xcopy.exe";
}

// Runs a command line to its end; returns its exit code and the time it took.
DWORD TimeProcess(const std::wstring& commandLine, double& elapsedMs) {
    BeforeClock();
    Stopwatch clock;
    ChildProcess child(commandLine, L"", true);
    std::optional<DWORD> code = child.WaitForExit(kChildLimitMs);
    elapsedMs = clock.ElapsedMs();
    if (!code) throw std::runtime_error("no end within the time limit: " + ToUtf8(commandLine));
    return *code;
}

void TimeXcopy(const std::wstring& source, const std::wstring& destination, const char* figure,
               bool filesExpected) {
    std::wstring line =
        Quoted(XcopyPath()) + L" /E /I /Y /Q " + Quoted(source) + L" " + Quoted(destination);
    double elapsedMs = 0;
    DWORD code = TimeProcess(line, elapsedMs);
    // xcopy ends with 1 when it found nothing to copy, which is what the start-up run wants.
    if (code != 0 && !(code == 1 && !filesExpected)) {
        throw std::runtime_error("xcopy ended with " + std::to_string(code));
    }
    PrintFigure(figure, elapsedMs);
}

int Run(const std::wstring& mode, const std::wstring& first, const std::wstring& second) {
    if (mode == L"tool" || mode == L"prepare") {
        ToolTimes times = TimeTool(first, mode == L"tool", BeforeClock);
        PrintFigure("prepare_ms", times.prepareMs);
        if (mode == L"tool") PrintFigure("run_ms", times.runMs);
        return 0;
    }
    if (mode == L"floor") return OpenEachListed(first) == 0 ? 0 : 1;
    if (mode == L"floor-time") {
        double elapsedMs = 0;
        DWORD code = TimeProcess(Quoted(ModulePath()) + L" floor " + Quoted(first), elapsedMs);
        if (code != 0) throw std::runtime_error("the floor could not open every listed source");
        PrintFigure("floor_ms", elapsedMs);
        return 0;
    }
    if (mode == L"xcopy") {
        TimeXcopy(first, second, "xcopy_ms", true);
        return 0;
    }
    if (mode == L"xcopy-start") {
        TimeXcopy(first, second, "xcopy_start_ms", false);
        return 0;
    }
    if (mode == L"replace-floor" && !second.empty()) {
        FloorTimes times = TimeReplaceFloor(first, second, BeforeClock);
        PrintFigure("replace_floor_ms", times.elapsedMs);
        PrintCount("replace_floor_files", times.files);
        return 0;
    }
    return 2;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    // A crash must end the figure, not wait on an error dialog.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    int code = 2;
    if (argc > 2 && std::wstring(argv[1]) == L"--warm") {
        g_warmMebibytes = std::wcstoul(argv[2], nullptr, 10);
        argc -= 2;
        argv += 2;
    }
    try {
        if (argc == 3 || argc == 4) code = Run(argv[1], argv[2], argc == 4 ? argv[3] : L"");
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench_driver: %s\n", failure.what());
        return 1;
    }
    if (code == 2) {
        std::fputs(
            "usage: bench_driver tool|prepare <package folder> | floor-time <file list> | "
            "xcopy|xcopy-start|replace-floor <source> <destination>\n",
            stderr);
    }
    return code;
}
