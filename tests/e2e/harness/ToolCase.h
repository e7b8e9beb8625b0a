#pragma once
// One run of the tool as a user meets it: a package folder holding the tool's copy, "Update.up"
// and the files it names; registry values that last as long as the case; the recorder as the
// shell's handler of ".txt" documents; then the tool started as the driver's debuggee (so that
// its debugger output reaches the driver), its windows awaited, read and answered, and its end.
// Every wait is bounded; one that runs out ends the case with what was expected and what the
// tool showed instead. Windows are read through SendMessageTimeoutW, so a hung tool cannot hang
// the driver; presses are posted, since the handler of a press may sit in a box's loop.
#include <mutex>

#include "Scenario.h"
#include "resource.h"

inline constexpr wchar_t kComplete[] = L"Copy complete!", kStopped[] = L"Copy stopped.";

// A file line of a section. Its source gets `size` bytes of contents of its own, so that a
// swapped, truncated or stale copy shows; kNotWritten: there is no source.
inline constexpr long long kNotWritten = -1;
struct Listed {
    std::wstring name;
    long long size;
};
enum Keys { NoKey, PerUser, PerMachine };  // where the product's INSTALLDIR value is

// A section of "Update.up": the key Software\NorvaneE2E\<tag>, the sources under <root><tag>\,
// the install folder: given, or <case>install\<tag>\, made beforehand.
struct Product {
    std::wstring tag;
    Keys keys;
    std::vector<Listed> files;
    std::wstring action = L"0", message = L"not shown", install = L"";
};

struct MessageBoxView {  // as read; as expected, without window and owner
    std::wstring caption, text;
    bool icon = false;
    HWND window = nullptr, owner = nullptr;
};

class ToolCase {
public:
    ToolCase(ScenarioRun& run, const std::wstring& caseFolder);
    ~ToolCase();  // ends a tool still running: a failed case never leaves it behind
    ToolCase(const ToolCase&) = delete;
    ToolCase& operator=(const ToolCase&) = delete;

    ScenarioRun& run;
    const std::wstring folder, root;  // the case folder, the package folder in it

    // Keeps a file open with this access and sharing until the case ends.
    void HoldOpen(const std::wstring& path, DWORD access, DWORD share);
    // The products' sources and registry values, "Report.txt", and the list: the launch line,
    // then a section per product.
    void WritePackage(const std::vector<Product>& products,
                      const std::wstring& launchLine = L"[x]");
    struct Entry {
        const Product* product;
        const Listed* file;
    };
    const std::vector<Entry>& Entries() const { return entries_; }  // in list order
    std::wstring Install(const Product& product) const {
        return product.install.empty() ? folder + L"install\\" + product.tag + L"\\"
                                       : product.install;
    }
    std::wstring Destination(const Entry& entry) const {
        return Install(*entry.product) + entry.file->name;
    }
    static std::string Contents(const Entry& entry);

    void Start();              // from its package folder, with the case folder as working folder
    HWND StartToMainDialog();  // Start, then the main dialog once it shows
    std::vector<HWND> Dialogs() const;  // the tool's, of class "#32770", shown or hidden
    HWND AwaitDialog(const std::string& what, const std::function<bool(HWND)>& predicate);
    // The next message box shown, checked against what it must show; `owner` is the window that
    // must own it (or null).
    MessageBoxView ExpectBox(const std::string& stage, const MessageBoxView& expected, HWND owner);
    void Answer(const MessageBoxView& box);  // OK, then waits until the box is gone
    // Waits until the status line tells the run's end and Exit is enabled; ends the case when a
    // box shows first. With mayClose, returns false when the main dialog is gone instead.
    bool AwaitRunEnd(HWND dialog, DWORD timeoutMs = 15000, bool mayClose = false);
    // The tool ends with 0 (a crash gives another code), having asked the shell to open these
    // documents (full paths, in order) and written this on the debugger output, as it arrives
    // through the ANSI code page.
    void ExpectEnd(const std::vector<std::wstring>& opened, const std::wstring& debugOutput = L"");
    void Exit(HWND dialog, const std::vector<std::wstring>& opened,
              const std::wstring& debugOutput = L"");  // presses Exit, then ExpectEnd

private:
    static DWORD WINAPI DebugLoop(void* self);
    void RunDebugLoop();
    bool HasExited() const;
    // Polls until `done`; ends the case when the time is up or the tool has ended first.
    void Until(const std::string& expected, const std::function<bool()>& done,
               DWORD timeoutMs = 15000);
    [[noreturn]] void AbortWithState(const std::string& expected);

    std::wstring shellLog_;
    std::optional<std::wstring> oldTextHandler_;
    std::vector<UniqueFile> held_;
    std::vector<Product> products_;
    std::vector<Entry> entries_;
    // The debuggee. Windows delivers debug events only to the thread that created it, so a
    // thread of its own starts it and runs the event loop while the case drives the windows.
    UniqueHandle started_, thread_, process_;
    DWORD processId_ = 0, startError_ = 0;
    volatile LONG stop_ = 0;
    mutable std::mutex lock_;  // guards the three below
    std::optional<DWORD> exitCode_, crashCode_;
    std::wstring debugOutput_;  // Wine hands OutputDebugStringW text over in the ANSI code page
};

// Sets a REG_SZ value in the given view (0: the driver's own, which is the tool's); throws.
void SetValue(HKEY root, const std::wstring& subKey, const std::wstring& name,
              const std::wstring& data, REGSAM view = 0);
std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int controlId);
void Click(HWND dialog, int controlId);
bool IsMainDialog(HWND window);  // the tool's dialog with Start and Exit
bool IsWaitDialog(HWND window);  // the tool's other dialog captioned "Norvane", not a box
// The main dialog's view, a line each: status, destination folder, file name, total, bytes
// copied, percentage, bar position, and whether Start and Exit are enabled.
std::wstring View(HWND dialog);
// The text that the system holds for an error code, fetched the way the tool fetches it.
std::wstring SystemText(DWORD code);
// A report of the tool on the debugger output: where it comes from, then `body`, between bars.
std::wstring ErrorReport(int line, const std::wstring& source, const std::wstring& body);
