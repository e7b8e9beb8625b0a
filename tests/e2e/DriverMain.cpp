// e2e_driver <path to Norvane.exe> <scenario>[/<case>]   runs one scenario (or one case of it)
// e2e_driver --list                                     prints the scenario names
// Exit code: 0 passed, 1 failed, 2 wrong use, 77 skipped (not applicable to this build).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "harness/Files.h"
#include "harness/Scenario.h"
#include "harness/TextForm.h"
#include "harness/ToolCase.h"

int wmain(int argc, wchar_t** argv) {
    // A crash of the driver must not wait on an error dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    if (argc == 2 && std::wstring(argv[1]) == L"--list") {
        for (const ScenarioEntry& entry : RegisteredScenarios()) std::printf("%s\n", entry.name);
        return 0;
    }
    if (argc != 3) {
        std::fputs("usage: e2e_driver <path to Norvane.exe> <scenario>[/<case>] | --list\n",
                   stderr);
        return 2;
    }
    ScenarioContext context{FullPath(argv[1]), ModuleFolder(), argv[2], L""};
    const size_t slash = context.scenarioName.find(L'/');
    if (slash != std::wstring::npos) {
        context.caseFilter = context.scenarioName.substr(slash + 1);
        context.scenarioName.resize(slash);
    }
    const ScenarioEntry* scenario = nullptr;
    for (const ScenarioEntry& entry : RegisteredScenarios()) {
        if (FromUtf8(entry.name) == context.scenarioName) scenario = &entry;
    }
    if (!scenario) {
        std::fprintf(stderr, "unknown scenario '%s'; e2e_driver --list names them\n",
                     ToUtf8(context.scenarioName).c_str());
        return 2;
    }
    if (!Exists(context.productExe)) {
        std::fprintf(stderr, "no product at '%s'\n", ToUtf8(context.productExe).c_str());
        return 1;
    }

    // A run meant for another ANSI code page must not pass in this one.
    if (const wchar_t* codePage = _wgetenv(L"E2E_ANSI_CODE_PAGE");
        codePage && std::wcstoul(codePage, nullptr, 10) != GetACP()) {
        std::printf("FAILED: the run needs ANSI code page %ls, it has %u\n", codePage, GetACP());
        return 1;
    }
    // Reports are UTF-8.
    std::printf("scenario %s: product %s (%s), ANSI code page %u\n", scenario->name,
                ToUtf8(context.productExe).c_str(),
                Is32BitProgram(context.productExe) ? "32-bit" : "64-bit", GetACP());
    ScenarioRun run(context);
    try {
        scenario->function(run);
    } catch (const ScenarioSkipped& skipped) {
        std::printf("SKIPPED: %s\n", skipped.reason.c_str());
        return 77;
    }
    RemoveWorkFolderIfEmpty(context.scenarioName);
    RemoveWorkFolderIfEmpty(L"");
    const bool passed = run.CasesRun() != 0 && run.FailureCount() == 0;
    std::printf("%s: %s, %d case(s) run, %d failed check(s)\n", passed ? "PASSED" : "FAILED",
                scenario->name, run.CasesRun(), run.FailureCount());
    return passed ? 0 : 1;
}
