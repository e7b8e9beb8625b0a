// Start-up as a user meets it: the single-instance guard, the reading of "Update.up", and the
// companion document that the list's launch line names.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "harness/Files.h"
#include "harness/Scenario.h"
#include "harness/TextForm.h"
#include "harness/ToolCase.h"
#include "harness/UniqueHandle.h"

namespace {

constexpr wchar_t kInstanceMarker[] = L"__Norvane_Class__";
constexpr wchar_t kStartupSource[] = L"source files\\winmain";

// The report that start-up writes to the debugger output before its warning box.
std::wstring ErrorReport(int line, std::wstring_view source, std::wstring_view message) {
    const std::wstring down = L"\u2193\u2193\u2193\u2193\u2193\u2193";
    const std::wstring up = L"\u2191\u2191\u2191\u2191\u2191\u2191";
    return down + L" Error " + down + L"\n[" + std::to_wstring(line) + L" line] " + std::wstring(source) + L"\n" +
           std::wstring(message) + L"\n" + up + L" Error " + up + L"\n";
}

const ExpectedBox kListUnreadable{L"Text data read error.", L"Cannot find 'Update.up'.", false};
// Shown by the preparation when the list names no file; the box keeps the system's caption.
ExpectedBox NothingToCopy() { return {SystemDefaultBoxCaption(), L"There is no file to copy.", false}; }

// A list whose launch line would open Readme.txt, for cases in which it must not be read.
constexpr wchar_t kListOpeningReadme[] = L"[Readme]Readme.txt\r\n";

// The road of a list without sections once start-up has gone on: the preparation finds nothing
// to copy and says so in a box owned by the main dialog, and the tool ends.
void ExpectNothingToCopyAndEnd(ToolCase& tool) {
    const MessageBoxView box = tool.AwaitMessageBox("preparation");
    HWND mainDialog = tool.AwaitDialog("the main dialog", &IsMainDialog);
    tool.CheckBox("preparation", box, NothingToCopy(), mainDialog);
    tool.Answer(box);
    tool.ExpectExit(0);
}

// A box from the single-instance guard: the warning report on the debugger output and in a box
// without owner, nothing else shown, nothing opened, exit code 0.
void ExpectGuardReport(ToolCase& tool, int line, std::wstring_view message) {
    tool.Start();
    const MessageBoxView box = tool.AwaitMessageBox("single-instance guard");
    tool.CheckBox("single-instance guard", box, {L"error", std::wstring(message) + L"\r\n", true}, nullptr);
    tool.CheckNoOtherDialog("single-instance guard", {box.window});
    tool.Answer(box);
    tool.ExpectExit(0);
    tool.ExpectDebugOutput(ErrorReport(line, kStartupSource, message));
    tool.ExpectOpened({});
}

}  // namespace

E2E_SCENARIO(startup_second_instance) {
    run.Case(L"another instance holds the marker", [&](const std::wstring& folder) {
        ToolCase tool(run, folder);
        tool.WriteListText(kListOpeningReadme);
        tool.WriteFile(L"Readme.txt", "readme");
        UniqueHandle marker(CreateMutexW(nullptr, TRUE, kInstanceMarker));
        if (!marker || GetLastError() == ERROR_ALREADY_EXISTS) {
            run.Abort("setup", "the driver must create the marker itself; a leftover instance may be running");
        }
        ExpectGuardReport(tool, 28, L"Already running. ERROR_ALREADY_EXISTS ");
    });
}

E2E_SCENARIO(startup_marker_unavailable) {
    // A kernel object of another type under the marker's name makes the marker's creation fail.
    run.Case(L"an event holds the marker's name", [&](const std::wstring& folder) {
        ToolCase tool(run, folder);
        tool.WriteListText(kListOpeningReadme);
        tool.WriteFile(L"Readme.txt", "readme");
        UniqueHandle blocker(CreateEventW(nullptr, TRUE, FALSE, kInstanceMarker));
        if (!blocker || GetLastError() == ERROR_ALREADY_EXISTS) {
            run.Abort("setup", "the driver must create the event itself; a leftover instance may be running");
        }
        ExpectGuardReport(tool, 23, L"Already running");
    });
}

E2E_SCENARIO(startup_list_unreadable) {
    struct Row {
        const wchar_t* name;
        void (*prepare)(ToolCase&);
        bool heldOpen;
    };
    // Each way of "Update.up" that gives start-up no content line; all of them end alike.
    static const Row rows[] = {
        {L"missing", [](ToolCase&) {}, false},
        {L"empty", [](ToolCase& tool) { tool.WriteListBytes(""); }, false},
        {L"blank and comment lines only",
         [](ToolCase& tool) { tool.WriteListText(L"\r\n\n// [Readme]Readme.txt\r\n//\r\n\r\n"); }, false},
        {L"held open for writing by another program",
         [](ToolCase& tool) { tool.WriteListText(kListOpeningReadme); }, true},
        {L"UTF-16 big endian without signature",
         [](ToolCase& tool) { tool.WriteListBytes(Utf16BeBytes(kListOpeningReadme, false)); }, false},
        {L"a NUL byte first",
         [](ToolCase& tool) { tool.WriteListBytes(std::string("\0", 1) + ToAnsi(kListOpeningReadme)); }, false},
        {L"a folder of that name", [](ToolCase& tool) { MakeFolders(tool.InRoot(L"Update.up")); }, false},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            tool.WriteFile(L"Readme.txt", "readme");
            row.prepare(tool);
            std::optional<HeldOpenFile> holder;
            if (row.heldOpen) {
                holder.emplace(tool.InRoot(L"Update.up"));
                if (!holder->IsHeld()) run.Abort("setup", "cannot hold Update.up open");
            }
            tool.Start();
            const MessageBoxView box = tool.AwaitMessageBox("reading Update.up");
            tool.CheckBox("reading Update.up", box, kListUnreadable, nullptr);
            tool.CheckNoOtherDialog("reading Update.up", {box.window});
            // Start-up gives up the single-instance marker before it shows this box.
            run.True("single-instance marker while the box shows", !ToolCase::InstanceMarkerExists(),
                     "expected the marker released, it still exists");
            tool.Answer(box);
            tool.ExpectExit(0);
            tool.ExpectDebugOutput(L"");
            tool.ExpectOpened({});
        });
    }
}

E2E_SCENARIO(startup_list_read_as_ansi) {
    // "Update.up" is ANSI text without signature: other encodings are read byte by byte as ANSI
    // characters, up to the first NUL byte. These still leave a content line, so start-up goes on.
    struct Row {
        const wchar_t* name;
        std::string bytes;
        bool opensReadme;
    };
    const std::string launch = ToAnsi(kListOpeningReadme);
    const Row rows[] = {
        // FF FE, then "[" and NUL: the launch line reads as two ANSI characters and "[".
        {L"UTF-16 little endian with signature", Utf16LeBytes(kListOpeningReadme, true), false},
        // FE FF, then NUL: two ANSI characters and no "]".
        {L"UTF-16 big endian with signature", Utf16BeBytes(kListOpeningReadme, true), false},
        // The signature's three bytes join the first token before "]", which is dropped anyway.
        {L"UTF-8 signature", "\xEF\xBB\xBF" + launch, true},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            tool.WriteFile(L"Readme.txt", "readme");
            tool.WriteListBytes(row.bytes);
            tool.Start();
            ExpectNothingToCopyAndEnd(tool);
            tool.ExpectDebugOutput(L"");
            tool.ExpectOpened(row.opensReadme ? std::vector<std::wstring>{tool.InRoot(L"Readme.txt")}
                                              : std::vector<std::wstring>{});
        });
    }
}

E2E_SCENARIO(startup_launch_line) {
    // The first item of the first content line, split at "]": the second piece, if any, names a
    // document under the root folder that start-up opens with the shell.
    struct Row {
        const wchar_t* name;
        const wchar_t* launchLine;
        const wchar_t* opens;  // relative to the root folder; null: nothing is opened
    };
    static const Row rows[] = {
        {L"bracketed word and a document", L"[x]Readme.txt", L"Readme.txt"},
        {L"doubled closing bracket", L"[x]]Readme.txt", L"Readme.txt"},
        {L"a further bracket ends the document", L"[x]Readme.txt]z", L"Readme.txt"},
        {L"second item after a TAB is ignored", L"[x]Readme.txt\tOther.txt", L"Readme.txt"},
        {L"comment after the document", L"[x]Readme.txt// opened at start", L"Readme.txt"},
        {L"document in a subfolder, name with a blank", L"[Guide]docs\\User guide.pdf", L"docs\\User guide.pdf"},
        {L"leading comment and blank lines before it", L"// readme first\r\n\r\n[x]Readme.txt", L"Readme.txt"},
        {L"document missing", L"[x]Missing.txt", nullptr},
        {L"bracketed word alone", L"[x]", nullptr},
        {L"no bracket", L"Readme.txt", nullptr},
        {L"leading brackets only", L"]]Readme.txt", nullptr},
        {L"the section keyword", L"[SetParamter]", nullptr},
        {L"a TAB before the item", L"\t[x]Readme.txt", nullptr},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            tool.WriteFile(L"Readme.txt", "readme");
            tool.WriteFile(L"Other.txt", "other");
            if (row.opens) tool.WriteFile(row.opens, "document");
            tool.WriteListText(std::wstring(row.launchLine) + L"\r\n");
            tool.Start();
            ExpectNothingToCopyAndEnd(tool);
            tool.ExpectOpened(row.opens ? std::vector<std::wstring>{tool.InRoot(row.opens)}
                                        : std::vector<std::wstring>{});
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
        {L"double-byte letter ending in the byte of backslash", L"\u30BD\u30D5\u30C8 \u8AAC\u660E.txt"},
    };
    int written = 0;
    for (const Row& row : rows) {
        if (!FitsAnsiCodePage(row.document)) {
            run.Note("left out in this code page: " + ToUtf8(row.name));
            continue;
        }
        if (!FileNameWorks(row.document)) {
            run.Note("left out: this Wine session cannot make files of that name (its Unix locale is not "
                     "installed): " + ToUtf8(row.name));
            continue;
        }
        ++written;
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            tool.WriteFile(row.document, "document");
            tool.WriteListText(L"[x]" + std::wstring(row.document) + L"\r\n");
            tool.Start();
            ExpectNothingToCopyAndEnd(tool);
            tool.ExpectOpened({tool.InRoot(row.document)});
        });
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
        tool.CheckBox("preparation", box, NothingToCopy(), mainDialog);
        tool.CheckNoOtherDialog("preparation", {box.window, mainDialog, waitDialog});

        run.True("wait dialog shown during the preparation", IsWindowVisible(waitDialog) != FALSE);
        run.True("wait dialog has no system menu",
                 (GetWindowLongW(waitDialog, GWL_STYLE) & WS_SYSMENU) == 0);
        run.True("wait dialog has no owner", GetWindow(waitDialog, GW_OWNER) == nullptr);
        const std::vector<std::wstring> texts = ChildTexts(waitDialog, L"Static");
        std::wstring joined;
        for (const auto& text : texts) joined += text + L"\n";
        run.Equal("wait dialog texts (one per line)",
                  L"Preparing for file copy \u2026\n* This may take a while, depending on the computer environment.\n",
                  joined);
        run.True("main dialog hidden during its initialisation", IsWindowVisible(mainDialog) == FALSE);
        run.True("main dialog has no owner", GetWindow(mainDialog, GW_OWNER) == nullptr);
        run.True("single-instance marker while the tool runs", ToolCase::InstanceMarkerExists(),
                 "expected the marker to exist, it does not");

        tool.Answer(box);
        tool.ExpectExit(0);
        tool.ExpectDebugOutput(L"");
        tool.ExpectOpened({});
    });
}
