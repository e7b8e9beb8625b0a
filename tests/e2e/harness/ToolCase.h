#pragma once
// One run of the tool as a user meets it: a package folder holding the tool's copy, "Update.up"
// and the files it names; registry values and document handlers that last as long as the case;
// then the tool started under the driver, its windows awaited, read, answered, and its end.
// Every wait is bounded; a wait that runs out ends the case with what was expected and what
// the tool showed instead.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "DebuggedTool.h"
#include "RegistryScope.h"
#include "Scenario.h"
#include "ToolWindows.h"

// The controls of the main dialog.
inline constexpr int kDestination = 1047, kBar = 1048, kStart = 1049, kExit = 1050,
                     kFileName = 1051, kTotal = 1052, kStatus = 1053, kCopied = 1054,
                     kPercent = 1055;
// The name of the single-instance guard's kernel object.
inline constexpr wchar_t kInstanceMarker[] = L"__Norvane_Class__";
inline constexpr wchar_t kComplete[] = L"Copy complete!";
inline constexpr wchar_t kStopped[] = L"Copy stopped.";
inline constexpr wchar_t kCopying[] = L"Copying \u2026";
inline constexpr DWORD kWindowWaitMs = 15000;

// A file line of a section. Its source gets `size` bytes of contents of its own, so that a
// swapped, truncated or stale copy shows, or is not written at all (kNotWritten).
inline constexpr long long kNotWritten = -1;
struct Listed {
    std::wstring name;
    long long size;
};

// Which values name a product's install folder. PerUser: INSTALLDIR per user. PerMachine:
// INSTALLDIR per machine, naming the decoy folder instead when there is a per-user one too.
// UserKeyOnly: the per-user key with another value only (naming the decoy folder).
enum Keys { NoKey = 0, PerUser = 1, PerMachine = 2, UserKeyOnly = 4 };

// One section of "Update.up" and what it refers to: the key Software\NorvaneE2E\<tag>, the
// sources under <root><tag>, the install folder <case>install\<tag> (made beforehand when
// installExists) and the decoy folder <case>decoy\<tag>, which must never come to exist.
struct Product {
    std::wstring tag;
    int keys;
    std::vector<Listed> files;
    bool installExists = true;
    std::wstring action = L"0";
    std::wstring message = L"not shown";
    std::wstring source = L"";  // the source line; empty for the sources' folder under %Root%
};

// What the main dialog shows.
struct Display {
    std::wstring status, destination, fileName, total, copied, percent;
    long long bar;
    bool startEnabled, exitEnabled;
};

// What a message box must show; the window that must own it is given to CheckBox apart.
struct ExpectedBox {
    std::wstring caption;
    std::wstring text;
    bool icon = false;
};

class ToolCase {
public:
    ToolCase(ScenarioRun& run, const std::wstring& caseFolder);
    ToolCase(const ToolCase&) = delete;
    ToolCase& operator=(const ToolCase&) = delete;

    const std::wstring& Folder() const { return folder_; }  // the case folder
    // A path in the tool's root folder, the package folder.
    std::wstring InRoot(std::wstring_view relative) const { return root_ + std::wstring(relative); }

    // Writes a file under the root folder. "Update.up" as text is written in the ANSI code page;
    // the case ends when a character of the text has no form there.
    void WriteFile(std::wstring_view relative, std::string_view bytes);
    void WriteListText(std::wstring_view text);
    RegistryScope& Registry() { return registry_; }
    // Keeps a file open with this access and sharing until the case ends.
    void HoldOpen(const std::wstring& path, DWORD access, DWORD share);

    // The package: the products' sources and registry values, "Report.txt", and the list of the
    // launch line and a section per product.
    void WritePackage(const std::vector<Product>& products, std::wstring_view launchLine = L"[x]");
    struct Entry {
        const Product* product;
        const Listed* file;
    };
    const std::vector<Entry>& Entries() const { return entries_; }  // in list order
    static std::wstring Key(const Product& product) {
        return L"Software\\NorvaneE2E\\" + product.tag;
    }
    std::wstring Install(const Product& product) const {  // ends in a backslash
        return folder_ + L"install\\" + product.tag + L"\\";
    }
    std::wstring Destination(const Entry& entry) const {
        return Install(*entry.product) + entry.file->name;
    }
    static std::string Contents(const Entry& entry);

    // Starts the tool from its package folder, with the case folder as working folder.
    DebuggedTool& Start();
    DebuggedTool& Tool();
    HWND StartToMainDialog();  // Start, then the main dialog once it shows

    // The next visible message box of the tool; ends the case when none comes.
    MessageBoxView AwaitMessageBox(std::string_view stage);
    // A dialog of the tool for which the predicate holds; ends the case when none comes.
    HWND AwaitDialog(std::string_view what, const std::function<bool(HWND)>& predicate);
    // Checks a box against what it must show; `owner` is the window that must own it (or null).
    void CheckBox(std::string_view stage, const MessageBoxView& box, const ExpectedBox& expected,
                  HWND owner);
    // Answers a box with OK and waits until that box is gone.
    void Answer(const MessageBoxView& box);
    // Checks that no dialog of the tool other than those given exists (visible or hidden).
    void CheckNoOtherDialog(std::string_view stage, const std::vector<HWND>& allowed);
    void CheckDisplay(const std::string& stage, HWND dialog, const Display& expected);
    // Waits until the status line tells the run's end ("Copy complete!", or "Copy stopped." after
    // a failure) and Exit is enabled; ends the case when a box shows first.
    // With mayClose, returns false when the main dialog is gone instead.
    bool AwaitRunEnd(HWND dialog, DWORD timeoutMs = kWindowWaitMs, bool mayClose = false);
    // Waits for the end of the tool and checks its exit code (a crash gives another).
    void ExpectExit(DWORD expectedCode = 0);
    // Presses Exit: the tool ends with 0 and has asked the shell to open these documents.
    void Exit(HWND dialog, const std::vector<std::wstring>& opened);

    // The debugger output must be exactly this text, as it arrives through the ANSI code page.
    void ExpectDebugOutput(std::wstring_view expected);
    // The documents the tool asked the shell to open, as full paths, in order.
    void ExpectOpened(const std::vector<std::wstring>& expectedPaths);
    // Whether the named kernel object of the single-instance guard exists now.
    static bool InstanceMarkerExists();

private:
    [[noreturn]] void AbortWithState(std::string_view what, std::string_view expected);

    ScenarioRun& run_;
    std::wstring folder_;
    std::wstring root_;
    std::wstring shellLog_;
    RegistryScope registry_;
    std::vector<UniqueFile> held_;
    std::vector<Product> products_;
    std::vector<Entry> entries_;
    std::unique_ptr<DebuggedTool> tool_;
};

// The main dialog: the tool's dialog with the Start and Exit buttons.
bool IsMainDialog(HWND window);
// The wait dialog: the tool's dialog captioned "Norvane" without Start button and not a box.
bool IsWaitDialog(HWND window);
// The text that the system holds for an error code, fetched the way the tool fetches it.
std::wstring SystemText(DWORD code);
// A report of the tool on the debugger output: where it comes from, then `body`, between bars.
std::wstring ErrorReport(int line, std::wstring_view source, std::wstring_view body);
// Whether an executable is a 32-bit Windows program.
bool Is32BitProgram(const std::wstring& exePath);
