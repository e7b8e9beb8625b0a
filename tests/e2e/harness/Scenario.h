#pragma once
// What every scenario uses: its registration, its cases and checks, text and files.
// A scenario is a function registered with E2E_SCENARIO(name); the build reads those lines to
// make one test per scenario. Every check runs inside a Case, which gets a fresh work folder,
// kept for inspection when the case fails. A failure is printed at once with the case, what was
// compared, the expected and the actual value; the case goes on unless it is aborted.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/UniqueResource.h"

using UniqueHandle = UniqueResource<NullHandleTraits>;
struct CaseAborted {};    // ends the case after a failure that leaves nothing more to check
struct ScenarioSkipped {  // the scenario does not apply to this build
    std::string reason;
};

struct ScenarioRun {
    std::wstring productExe, driverFolder, name;  // the driver's folder holds e2e_recorder.exe
    int cases = 0, failures = 0;
    std::wstring currentCase = {};

    void Case(const std::wstring& caseName, const std::function<void(const std::wstring&)>& body);
    bool Equal(const std::string& what, const std::wstring& expected, const std::wstring& actual);
    bool True(const std::string& what, bool condition, const std::string& detail);
    [[noreturn]] void Abort(const std::string& what, const std::string& detail);
    [[noreturn]] void Skip(const std::string& reason) { throw ScenarioSkipped{reason}; }
};

using ScenarioFunction = void (*)(ScenarioRun&);
std::vector<std::pair<std::string, ScenarioFunction>>& Scenarios();
#define E2E_SCENARIO(name)                                         \
    static void Scenario_##name(ScenarioRun& run);                 \
    [[maybe_unused]] static const bool registered_##name =         \
        (Scenarios().emplace_back(#name, &Scenario_##name), true); \
    static void Scenario_##name(ScenarioRun& run)

// Text is UTF-16 in the tool, ANSI in "Update.up" and on the debugger output, UTF-8 in reports.
std::string Narrow(const std::wstring& text, UINT codePage = CP_UTF8);
std::wstring Widen(const std::string& bytes, UINT codePage = CP_UTF8);
std::string Visible(const std::wstring& text);  // quoted on one line: \r \n \t \" \\ escaped

// <temp>\norvane-e2e\<relative>\ ; folders passed to and returned by these end in a backslash.
std::wstring WorkFolder(const std::wstring& relative);
void MakeFolders(const std::wstring& folder);  // with its missing parents; throws on failure
void RemoveTree(const std::wstring& folder);   // read-only files included; absent is fine
void WriteBytes(const std::wstring& path, const std::string& bytes);  // makes the folders
std::optional<std::string> ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);  // a file or a folder, whatever the path's length
std::wstring FolderOf(const std::wstring& path);
