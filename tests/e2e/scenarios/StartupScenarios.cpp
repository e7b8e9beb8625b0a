// Start-up as a user meets it: the single-instance guard, the reading of "Update.up", the
// companion document that the list's launch line names, and the wait dialog.
#include <functional>
#include <string>
#include <vector>

#include "harness/Files.h"
#include "harness/TextForm.h"
#include "harness/ToolCase.h"

namespace {

// A list whose launch line would open Readme.txt, for cases in which it must not be read.
constexpr wchar_t kListOpeningReadme[] = L"[Readme]Readme.txt\r\n";

// The road of a list without sections once start-up has gone on: the preparation finds nothing
// to copy and says so in a box owned by the main dialog, with the system's caption; the tool
// ends, having asked the shell to open `opens` (relative to the root folder; null: nothing).
void ExpectLaunch(ScenarioRun& run, const std::wstring& folder, const std::string& list,
                  const wchar_t* opens) {
    ToolCase tool(run, folder);
    tool.WriteFile(L"Readme.txt", "readme");
    tool.WriteFile(L"Other.txt", "other");
    if (opens) tool.WriteFile(opens, "document");
    tool.WriteFile(L"Update.up", list);
    tool.Start();
    const MessageBoxView box = tool.AwaitMessageBox("preparation");
    tool.CheckBox("preparation", box, {SystemDefaultBoxCaption(), L"There is no file to copy."},
                  tool.AwaitDialog("the main dialog", &IsMainDialog));
    tool.Answer(box);
    tool.ExpectExit();
    tool.ExpectDebugOutput(L"");
    tool.ExpectOpened(opens ? std::vector<std::wstring>{tool.InRoot(opens)}
                            : std::vector<std::wstring>{});
}

// Start-up gives up at once: a box without owner and nothing else shown; answered, the tool
// ends with 0, having opened nothing.
void ExpectStartupBox(ToolCase& tool, const ExpectedBox& expected,
                      const std::function<void()>& whileShown = {}) {
    tool.Start();
    const MessageBoxView box = tool.AwaitMessageBox("start-up");
    tool.CheckBox("start-up", box, expected, nullptr);
    tool.CheckNoOtherDialog("start-up", {box.window});
    if (whileShown) whileShown();
    tool.Answer(box);
    tool.ExpectExit();
    tool.ExpectOpened({});
}

std::string Line(const std::wstring& text) {
    return ToAnsi(text + L"\r\n");
}

}  // namespace

E2E_SCENARIO(startup_second_instance) {
    // A mutex under the marker's name is another instance; a kernel object of another type there
    // makes the marker's creation fail. Either way start-up reports it on the debugger output
    // and in a box without owner, shows nothing else, opens nothing and ends with 0.
    struct Row {
        const wchar_t* name;
        bool mutex;
        int line;
        const wchar_t* message;
    };
    static const Row rows[] = {
        {L"another instance holds the marker", true, 28, L"Already running. ERROR_ALREADY_EXISTS "},
        {L"an event holds the marker's name", false, 23, L"Already running"},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            tool.WriteListText(kListOpeningReadme);
            tool.WriteFile(L"Readme.txt", "readme");
            UniqueHandle marker(row.mutex ? CreateMutexW(nullptr, TRUE, kInstanceMarker)
                                          : CreateEventW(nullptr, TRUE, FALSE, kInstanceMarker));
            if (!marker || GetLastError() == ERROR_ALREADY_EXISTS) {
                run.Abort("setup", "the marker exists already: a leftover instance may be running");
            }
            ExpectStartupBox(tool, {L"error", std::wstring(row.message) + L"\r\n", true});
            tool.ExpectDebugOutput(
                ErrorReport(row.line, L"source files\\winmain", std::wstring(row.message) + L"\n"));
        });
    }
}

E2E_SCENARIO(startup_list_unreadable) {
    // Each way of "Update.up" that gives start-up no content line; all of them end alike, and
    // start-up gives up the single-instance marker before it shows its box.
    struct Row {
        const wchar_t* name;
        void (*prepare)(ToolCase&);
    };
    static const Row rows[] = {
        {L"missing", [](ToolCase&) {}},
        {L"empty", [](ToolCase& tool) { tool.WriteFile(L"Update.up", ""); }},
        {L"blank and comment lines only",
         [](ToolCase& tool) { tool.WriteListText(L"\r\n\n// [Readme]Readme.txt\r\n//\r\n\r\n"); }},
        {L"held open for writing by another program",
         [](ToolCase& tool) {
             tool.WriteListText(kListOpeningReadme);
             tool.HoldOpen(tool.InRoot(L"Update.up"), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE);
         }},
        {L"UTF-16 big endian without signature",
         [](ToolCase& tool) {
             tool.WriteFile(L"Update.up", Utf16Bytes(kListOpeningReadme, true, false));
         }},
        {L"a NUL byte first",
         [](ToolCase& tool) {
             tool.WriteFile(L"Update.up", std::string(1, '\0') + ToAnsi(kListOpeningReadme));
         }},
        {L"a folder of that name", [](ToolCase& tool) { MakeFolders(tool.InRoot(L"Update.up")); }},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            tool.WriteFile(L"Readme.txt", "readme");
            row.prepare(tool);
            ExpectStartupBox(tool, {L"Text data read error.", L"Cannot find 'Update.up'."}, [&] {
                run.True("single-instance marker while the box shows",
                         !ToolCase::InstanceMarkerExists(), "expected it released, it exists");
            });
            tool.ExpectDebugOutput(L"");
        });
    }
}

E2E_SCENARIO(startup_launch_line) {
    // The first item of the first content line, split at "]": the second piece, if any, names a
    // document under the root folder that start-up opens with the shell. "Update.up" is ANSI
    // text without signature: other encodings are read byte by byte as ANSI characters, up to
    // the first NUL byte.
    struct Row {
        const wchar_t* name;
        std::string list;
        const wchar_t* opens;  // relative to the root folder; null: nothing is opened
    };
    const Row rows[] = {
        {L"bracketed word and a document", Line(L"[x]Readme.txt"), L"Readme.txt"},
        {L"doubled closing bracket", Line(L"[x]]Readme.txt"), L"Readme.txt"},
        {L"a further bracket ends the document", Line(L"[x]Readme.txt]z"), L"Readme.txt"},
        {L"second item after a TAB is ignored", Line(L"[x]Readme.txt\tOther.txt"), L"Readme.txt"},
        {L"comment after the document", Line(L"[x]Readme.txt// opened at start"), L"Readme.txt"},
        {L"document in a subfolder, name with a blank", Line(L"[Guide]docs\\User guide.pdf"),
         L"docs\\User guide.pdf"},
        {L"leading comment and blank lines before it",
         Line(L"// readme first\r\n\r\n[x]Readme.txt"), L"Readme.txt"},
        {L"document missing", Line(L"[x]Missing.txt"), nullptr},
        {L"bracketed word alone", Line(L"[x]"), nullptr},
        {L"no bracket", Line(L"Readme.txt"), nullptr},
        {L"leading brackets only", Line(L"]]Readme.txt"), nullptr},
        {L"the section keyword", Line(L"[SetParamter]"), nullptr},
        {L"a TAB before the item", Line(L"\t[x]Readme.txt"), nullptr},
        // A shell handed a path that long may fail hard; the tool must go on and end with 0.
        {L"a document of about 1,000 units", Line(L"[x]" + std::wstring(1000, L'd') + L".txt"),
         nullptr},
        // The signature's three bytes join the first token before "]", which is dropped anyway.
        {L"UTF-8 signature", "\xEF\xBB\xBF" + Line(L"[Readme]Readme.txt"), L"Readme.txt"},
        // FF FE, then "[" and NUL: the launch line reads as two ANSI characters and "[".
        {L"UTF-16 little endian with signature", Utf16Bytes(kListOpeningReadme, false, true),
         nullptr},
        // FE FF, then NUL: two ANSI characters and no "]".
        {L"UTF-16 big endian with signature", Utf16Bytes(kListOpeningReadme, true, true), nullptr},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ExpectLaunch(run, folder, row.list, row.opens);
        });
    }
}

E2E_SCENARIO(startup_launch_line_code_page) {
    // The launch item passes through the ANSI code page twice (reading the list, then widening
    // the item again); a name the code page can write must arrive unchanged. The split at "]"
    // works on characters: a double-byte character whose second byte is that of "]" or "\\" in
    // code page 932 stays whole. Rows whose name the current code page cannot write are left out.
    struct Row {
        const wchar_t* name;
        const wchar_t* document;
    };
    static const Row rows[] = {
        {L"Western letter", L"Caf\u00E9 notes.txt"},
        {L"double-byte letter ending in the byte of ]", L"\u30BE\u30FC\u30F3\u6848\u5185.txt"},
        {L"double-byte letter ending in the byte of backslash",
         L"\u30BD\u30D5\u30C8 \u8AAC\u660E.txt"},
    };
    int written = 0;
    for (const Row& row : rows) {
        if (!FitsAnsiCodePage(row.document)) {
            run.Note("left out in this code page: " + ToUtf8(row.name));
        } else if (!FileNameWorks(row.document)) {
            run.Note(
                "left out: this Wine session cannot make files of that name (its Unix locale is "
                "not "
                "installed): " +
                ToUtf8(row.name));
        } else {
            ++written;
            run.Case(row.name, [&](const std::wstring& folder) {
                ExpectLaunch(run, folder, Line(L"[x]" + std::wstring(row.document)), row.document);
            });
        }
    }
    if (written == 0) run.Skip("no document name fits both the ANSI code page and the file system");
}

E2E_SCENARIO(startup_wait_dialog) {
    // While the preparation runs, the wait dialog shows; the main dialog exists but is not shown
    // until its initialisation has ended; the tool holds the single-instance marker.
    run.Case(L"list without sections", [&](const std::wstring& folder) {
        ToolCase tool(run, folder);
        tool.WriteListText(L"[x]\r\n");
        tool.Start();
        const MessageBoxView box = tool.AwaitMessageBox("preparation");
        HWND mainDialog = tool.AwaitDialog("the main dialog", &IsMainDialog);
        HWND waitDialog = tool.AwaitDialog("the wait dialog", &IsWaitDialog);
        tool.CheckNoOtherDialog("preparation", {box.window, mainDialog, waitDialog});
        run.True("wait dialog shown during the preparation", IsWindowVisible(waitDialog) != FALSE);
        run.True("wait dialog has no system menu",
                 (GetWindowLongW(waitDialog, GWL_STYLE) & WS_SYSMENU) == 0);
        run.True("wait dialog has no owner", GetWindow(waitDialog, GW_OWNER) == nullptr);
        run.Equal("wait dialog texts (one per line)",
                  L"Preparing for file copy \u2026\n* This may take a while, depending on the "
                  L"computer environment.\n",
                  ChildTexts(waitDialog, L"Static"));
        run.True("main dialog hidden during its initialisation",
                 IsWindowVisible(mainDialog) == FALSE);
        run.True("main dialog has no owner", GetWindow(mainDialog, GW_OWNER) == nullptr);
        run.True("single-instance marker while the tool runs", ToolCase::InstanceMarkerExists(),
                 "expected the marker to exist, it does not");
        tool.Answer(box);
        tool.ExpectExit();
    });
}
