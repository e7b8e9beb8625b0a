#pragma once
// One run of the tool as a user meets it: a package folder holding the tool's copy, "Update.up"
// and the files it names; registry values and document handlers that last as long as the case;
// then the tool started under the driver, its windows awaited, read, answered, and its end.
// Every wait is bounded; a wait that runs out ends the case with what was expected and what
// the tool showed instead.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DebuggedTool.h"
#include "RegistryScope.h"
#include "Scenario.h"
#include "ShellRecorder.h"
#include "ToolWindows.h"

inline constexpr DWORD kWindowWaitMs = 15000;
inline constexpr DWORD kExitWaitMs = 15000;

// What a message box must show; the window that must own it is given to CheckBox apart.
struct ExpectedBox {
    std::wstring caption;
    std::wstring text;
    bool icon = false;
};

class ToolCase {
public:
    // The document types whose "open" the recorder stands in for.
    static const std::vector<std::wstring>& RecordedExtensions();

    ToolCase(ScenarioRun& run, const std::wstring& caseFolder);
    ToolCase(const ToolCase&) = delete;
    ToolCase& operator=(const ToolCase&) = delete;

    // The tool's root folder: the package folder, ending in a backslash.
    const std::wstring& Root() const { return root_; }
    std::wstring InRoot(std::wstring_view relative) const { return root_ + std::wstring(relative); }

    // "Update.up" from raw bytes, or from text written in the ANSI code page (the case fails
    // when a character of the text has no form there).
    void WriteListBytes(std::string_view bytes);
    void WriteListText(std::wstring_view text);
    void WriteFile(std::wstring_view relative, std::string_view bytes);

    RegistryScope& Registry() { return registry_; }
    ShellRecorder& Shell() { return *shell_; }

    // Starts the tool from its package folder, with the case folder as working folder.
    DebuggedTool& Start();
    DebuggedTool& Tool();

    // The next visible message box of the tool; ends the case when none comes.
    MessageBoxView AwaitMessageBox(std::string_view stage);
    // A dialog of the tool for which the predicate holds; ends the case when none comes.
    HWND AwaitDialog(std::string_view what, const std::function<bool(HWND)>& predicate);
    // Checks a box against what it must show; `owner` is the window that must own it (or null).
    void CheckBox(std::string_view stage, const MessageBoxView& box, const ExpectedBox& expected, HWND owner);
    // Answers a box with OK and waits until that box is gone.
    void Answer(const MessageBoxView& box);
    // Checks that no dialog of the tool other than those given exists (visible or hidden).
    void CheckNoOtherDialog(std::string_view stage, const std::vector<HWND>& allowed);
    // Waits for the end of the tool and checks its exit code and that it did not crash.
    void ExpectExit(DWORD expectedCode);

    // The debugger output must be exactly this text. It is compared as it arrives through the
    // ANSI code page, and in UTF-16 too when the driver could read the program's own text.
    void ExpectDebugOutput(std::wstring_view expected);
    // The documents the tool asked the shell to open, as full paths, in order.
    void ExpectOpened(const std::vector<std::wstring>& expectedPaths);

    // Whether the named kernel object of the single-instance guard exists now.
    static bool InstanceMarkerExists();

private:
    [[noreturn]] void AbortWithState(std::string_view what, std::string_view expected);

    ScenarioRun& run_;
    std::wstring caseFolder_;
    std::wstring root_;
    RegistryScope registry_;
    std::unique_ptr<ShellRecorder> shell_;
    std::unique_ptr<DebuggedTool> tool_;
};

// The main dialog: the tool's dialog with the Start and Exit buttons.
bool IsMainDialog(HWND window);
// The wait dialog: the tool's dialog captioned "Norvane" without Start button and not a box.
bool IsWaitDialog(HWND window);

// Ends the scenario as skipped unless the product under test is built for this machine.
void RequireProductMachine(ScenarioRun& run, std::uint16_t machine, std::string_view why);
