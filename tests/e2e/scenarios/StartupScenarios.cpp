// Start-up as a user meets it: the single-instance guard, the reading of "Update.up" and the
// document that the list's launch line names.
#include "harness/ToolCase.h"
#include "platform/win32/SingleInstance.h"

namespace {

// Start-up gives up at once: a box without owner and nothing else shown; answered, the tool
// ends with 0, having opened nothing.
void ExpectStartupBox(ToolCase& tool, const MessageBoxView& expected,
                      const std::wstring& debugOutput) {
    tool.Start();
    const MessageBoxView box = tool.ExpectBox("start-up", expected, nullptr);
    std::wstring dialogs;
    for (HWND window : tool.Dialogs()) dialogs += WindowText(window) + L"\n";
    tool.run.Equal("the tool's dialogs, shown or hidden", expected.caption + L"\n", dialogs);
    tool.Answer(box);
    tool.ExpectEnd({}, debugOutput);
}

}  // namespace

E2E_SCENARIO(startup_second_instance) {
    // The marker taken as the tool takes it is another instance: start-up reports it on the
    // debugger output and in a box, and opens not even the launch line's document.
    Case(run, L"another instance holds the marker", [&](ToolCase& tool) {
        tool.WritePackage({}, L"[x]Readme.txt");
        WriteBytes(tool.root + L"Readme.txt", "readme");
        SingleInstance marker;
        if (marker.Claim() != InstanceClaim::Owned) {
            run.Abort("setup", "the marker is taken: a leftover instance may be running");
        }
        const std::wstring message = L"Already running. ERROR_ALREADY_EXISTS ";
        ExpectStartupBox(tool, {L"error", message + L"\r\n", true},
                         ErrorReport(28, L"source files\\winmain", message + L"\n"));
    });
}

E2E_SCENARIO(startup_list_unreadable) {
    // Without "Update.up" start-up has nothing to show but its box.
    Case(run, L"missing", [&](ToolCase& tool) {
        ExpectStartupBox(tool, {L"Text data read error.", L"Cannot find 'Update.up'."}, L"");
    });
}

E2E_SCENARIO(startup_launch_line) {
    // The launch line's document is opened with the shell, and start-up goes on to the main
    // dialog. A path of about 1,000 units, on which Wine's shell crashes its caller, opens nothing.
    // Where a desktop runs (Wine's null driver has one), its shell opens the document, at the
    // user's level: the tool does not fall back to opening it itself, which the log would say.
    struct Row {
        const wchar_t* name;
        std::wstring document;
        bool opened;
    };
    const Row rows[] = {
        {L"a document in the package", L"Readme.txt", true},
        {L"a document of about 1,000 units", std::wstring(1000, L'd') + L".txt", false},
    };
    for (const Row& row : rows) {
        Case(run, row.name, [&](ToolCase& tool) {
            tool.WritePackage({{L"A", PerUser, {{L"One.dat", 3}}}}, L"[x]" + row.document);
            if (row.opened) WriteBytes(tool.root + row.document, "document");
            tool.arguments = L" /log \"" + tool.folder + L"run.log\"";
            tool.Exit(tool.StartToMainDialog(), row.opened ? std::vector{tool.root + row.document}
                                                           : std::vector<std::wstring>{});
            const std::string log = ReadBytes(tool.folder + L"run.log").value_or("");
            // (A tool killed earlier in the same Wine session can leave Wine's desktop shell
            // unreachable until the session ends: wineserver -k.)
            run.True("opened by the desktop's shell", log.find("shell cannot open") == log.npos,
                     "the log is " + log);
        });
    }
}
