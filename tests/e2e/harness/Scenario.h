#pragma once
// Scenarios and their verdicts. A scenario is a function registered under a name with
// E2E_SCENARIO(name); the build reads the same lines to make one test per scenario, so the
// registration is the only list of scenarios. Every check runs inside a Case; related cases run
// as rows of one scenario, each row in its own Case with a fresh work folder.
//
//   E2E_SCENARIO(area_behaviour) {
//       run.Case(L"what", [&](const std::wstring& folder) { ToolCase tool(run, folder); ... });
//   }
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ScenarioContext {
    std::wstring productExe;    // the Norvane.exe under test, full path
    std::wstring driverFolder;  // folder of the driver, with e2e_recorder.exe beside it
    std::wstring scenarioName;
    std::wstring caseFilter;  // run only the case of this name when not empty
};

// Thrown to end the current case at once after a failure that leaves nothing more to check.
struct CaseAborted {};
// Thrown to end the scenario as not applicable on this machine or build.
struct ScenarioSkipped {
    std::string reason;
};

class ScenarioRun {
public:
    explicit ScenarioRun(ScenarioContext context) : context_(std::move(context)) {}

    const ScenarioContext& Context() const { return context_; }

    // Runs one case: prints its name, gives it a fresh, empty work folder (the case folder),
    // catches its abort, and keeps the folder for inspection when the case failed.
    void Case(std::wstring_view name,
              const std::function<void(const std::wstring& caseFolder)>& body);

    // Checks: each failure is printed at once with the case, what was compared, the expected
    // and the actual value; the case goes on unless it is aborted.
    bool Equal(std::string_view what, std::wstring_view expected, std::wstring_view actual);
    bool EqualNumber(std::string_view what, long long expected, long long actual);
    bool True(std::string_view what, bool condition, std::string_view detail = {});
    void Fail(std::string_view what, std::string_view detail);
    [[noreturn]] void Abort(std::string_view what, std::string_view detail);
    [[noreturn]] void Skip(std::string_view reason) { throw ScenarioSkipped{std::string(reason)}; }
    void Note(std::string_view text);

    int FailureCount() const { return failures_; }
    int CasesRun() const { return casesRun_; }

private:
    ScenarioContext context_;
    std::wstring currentCase_;
    int failures_ = 0;
    int casesRun_ = 0;
};

using ScenarioFunction = void (*)(ScenarioRun&);
struct ScenarioEntry {
    const char* name;
    ScenarioFunction function;
};
bool RegisterScenario(const char* name, ScenarioFunction function);
const std::vector<ScenarioEntry>& RegisteredScenarios();

#define E2E_SCENARIO(name)                                 \
    static void Scenario_##name(ScenarioRun& run);         \
    [[maybe_unused]] static const bool registered_##name = \
        RegisterScenario(#name, &Scenario_##name);         \
    static void Scenario_##name(ScenarioRun& run)
