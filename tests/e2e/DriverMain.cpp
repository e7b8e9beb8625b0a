// e2e_driver <path to Norvane.exe> <scenario>[/<case>]   runs one scenario
// e2e_driver --list                                     prints the scenario names
// Exit code: 0 passed, 1 failed, 2 wrong use, 77 skipped (not applicable to this build).
#include <windows.h>

#include <cstdio>
#include <string>

#include "harness/Files.h"
#include "harness/PeImage.h"
#include "harness/Scenario.h"
#include "harness/TextForm.h"

namespace {

constexpr int kPassed = 0;
constexpr int kFailed = 1;
constexpr int kWrongUse = 2;
constexpr int kSkipped = 77;

int Usage() {
    std::fputs("usage: e2e_driver <path to Norvane.exe> <scenario>[/<case>]\n       e2e_driver --list\n", stderr);
    return kWrongUse;
}

const ScenarioEntry* FindScenario(const std::wstring& name) {
    for (const ScenarioEntry& entry : RegisteredScenarios()) {
        if (FromUtf8(entry.name) == name) return &entry;
    }
    return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Reports are UTF-8; a crash of the driver must not wait on an error dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    if (argc == 2 && std::wstring(argv[1]) == L"--list") {
        for (const ScenarioEntry& entry : RegisteredScenarios()) std::printf("%s\n", entry.name);
        return kPassed;
    }
    if (argc != 3) return Usage();

    ScenarioContext context;
    context.productExe = FullPath(argv[1]);
    context.driverFolder = ModuleFolder();
    std::wstring requested = argv[2];
    const size_t slash = requested.find(L'/');
    if (slash != std::wstring::npos) {
        context.caseFilter = requested.substr(slash + 1);
        requested.resize(slash);
    }
    context.scenarioName = requested;

    const ScenarioEntry* scenario = FindScenario(requested);
    if (!scenario) {
        std::fprintf(stderr, "unknown scenario '%s'; e2e_driver --list names them\n", ToUtf8(requested).c_str());
        return kWrongUse;
    }
    if (!FileExists(context.productExe)) {
        std::fprintf(stderr, "no product at '%s'\n", ToUtf8(context.productExe).c_str());
        return kFailed;
    }

    std::printf("scenario %s: product %s (machine 0x%04X), ANSI code page %u\n", scenario->name,
                ToUtf8(context.productExe).c_str(), PeMachine(context.productExe), GetACP());
    ScenarioRun run(context);
    try {
        scenario->function(run);
    } catch (const ScenarioSkipped& skipped) {
        std::printf("SKIPPED: %s\n", skipped.reason.c_str());
        return kSkipped;
    }
    RemoveWorkFolderIfEmpty(context.scenarioName);
    RemoveWorkFolderIfEmpty(L"");
    if (run.CasesRun() == 0) {
        std::printf("FAILED: %s has no case named '%s'\n", scenario->name, ToUtf8(context.caseFilter).c_str());
        return kFailed;
    }
    if (run.FailureCount() != 0) {
        std::printf("FAILED: %s, %d failed check(s)\n", scenario->name, run.FailureCount());
        return kFailed;
    }
    std::printf("PASSED: %s\n", scenario->name);
    return kPassed;
}
