#include "Scenario.h"

#include <cstdio>
#include <exception>

#include "Files.h"
#include "TextForm.h"

namespace {

std::vector<ScenarioEntry>& Registry() {
    static std::vector<ScenarioEntry> entries;
    return entries;
}

void Print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string FirstDifference(std::wstring_view expected, std::wstring_view actual) {
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    return "first difference at unit " + std::to_string(at) + " (lengths " +
           std::to_string(expected.size()) + " and " + std::to_string(actual.size()) + ")";
}

}  // namespace

bool RegisterScenario(const char* name, ScenarioFunction function) {
    Registry().push_back({name, function});
    return true;
}

const std::vector<ScenarioEntry>& RegisteredScenarios() {
    return Registry();
}

void ScenarioRun::Case(std::wstring_view name,
                       const std::function<void(const std::wstring& caseFolder)>& body) {
    if (!context_.caseFilter.empty() && context_.caseFilter != name) return;
    currentCase_ = name;
    ++casesRun_;
    const int failuresBefore = failures_;
    Print("--- case " + ToUtf8(name));
    const std::wstring folder = FreshWorkFolder(context_.scenarioName + L"\\" + std::wstring(name));
    try {
        body(folder);
    } catch (const CaseAborted&) {
        // Already reported.
    } catch (const std::exception& error) {
        Fail("unexpected error in the driver", error.what());
    }
    if (failures_ == failuresBefore) {
        RemoveTree(folder);
    } else {
        Print("    (work folder kept: " + ToUtf8(folder) + ")");
    }
    currentCase_.clear();
}

bool ScenarioRun::Equal(std::string_view what, std::wstring_view expected,
                        std::wstring_view actual) {
    if (expected == actual) return true;
    Fail(what, "\n      expected: " + Visible(expected) + "\n      actual:   " + Visible(actual) +
                   "\n      " + FirstDifference(expected, actual));
    return false;
}

bool ScenarioRun::EqualNumber(std::string_view what, long long expected, long long actual) {
    if (expected == actual) return true;
    Fail(what, "expected " + std::to_string(expected) + ", actual " + std::to_string(actual));
    return false;
}

bool ScenarioRun::True(std::string_view what, bool condition, std::string_view detail) {
    if (!condition) Fail(what, detail.empty() ? std::string_view("not so") : detail);
    return condition;
}

void ScenarioRun::Fail(std::string_view what, std::string_view detail) {
    ++failures_;
    std::string line = "FAIL";
    if (!currentCase_.empty()) line += " [" + ToUtf8(currentCase_) + "]";
    Print(line + " " + std::string(what) + ": " + std::string(detail));
}

void ScenarioRun::Abort(std::string_view what, std::string_view detail) {
    Fail(what, detail);
    throw CaseAborted{};
}

void ScenarioRun::Note(std::string_view text) {
    Print("    " + std::string(text));
}
