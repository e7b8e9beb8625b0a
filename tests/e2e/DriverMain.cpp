// e2e_driver <path to Norvane.exe> <scenario>   runs one scenario.
// Exit code: 0 passed, 1 failed, 2 wrong use, 77 skipped (not applicable to this build).
#include <algorithm>

#include "harness/Scenario.h"

int wmain(int argc, wchar_t** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);  // a crash shows no dialog
    if (argc != 3) {
        std::fputs("usage: e2e_driver <path to Norvane.exe> <scenario>\n", stderr);
        return 2;
    }
    // The build hands over a Unix path; Wine shows the Unix root as the drive Z:.
    std::wstring product = argv[1][0] == L'/' ? L"Z:" + std::wstring(argv[1]) : argv[1];
    std::replace(product.begin(), product.end(), L'/', L'\\');
    wchar_t driver[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, driver, MAX_PATH);
    ScenarioRun run{product, FolderOf(driver), argv[2]};
    for (const auto& [name, function] : Scenarios()) {
        if (Widen(name) != run.name) continue;
        std::printf("scenario %s: product %s\n", name.c_str(), Narrow(product).c_str());
        try {
            function(run);
        } catch (const ScenarioSkipped& skipped) {
            std::printf("SKIPPED: %s\n", skipped.reason.c_str());
            return 77;
        }
        RemoveDirectoryW(WorkFolder(run.name).c_str());
        RemoveDirectoryW(WorkFolder(L"").c_str());
        const bool passed = run.cases != 0 && run.failures == 0;
        std::printf("%s: %d case(s) run, %d failed check(s)\n", passed ? "PASSED" : "FAILED",
                    run.cases, run.failures);
        return passed ? 0 : 1;
    }
    std::fprintf(stderr, "no scenario named %s\n", Narrow(run.name).c_str());
    return 2;
}
