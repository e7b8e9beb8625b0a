// The preparation as a user meets it: the main dialog as it first shows, with the wait dialog
// hidden, and what it does before Start; every message with which the preparation of the copy
// list gives up; the registry view through which the 32-bit tool finds its folders.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "harness/Files.h"
#include "harness/ToolCase.h"

namespace {

// The error with which an open for reading fails, as the tool opens its sources.
DWORD OpenFailure(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? ERROR_SUCCESS : GetLastError();
}

// A relative name that makes folder + name exactly `length` units long, in short components.
std::wstring NameForPathLength(const std::wstring& folder, size_t length) {
    std::wstring name;
    size_t left = length - folder.size();
    for (; left > 60; left -= 50) name += std::wstring(49, L'd') + L"\\";
    return name + std::wstring(left - 4, L'm') + L".dat";
}

// One file, listed `count` times.
std::vector<Listed> ListedTimes(size_t count) {
    std::vector<Listed> files(count, {L"One.dat", kNotWritten});
    files[0].size = 3;
    return files;
}

}  // namespace

E2E_SCENARIO(prep_main_dialog_before_start) {
    // A list as long as a list may be is ready: the main dialog shows its first texts, the wait
    // dialog is hidden, not destroyed; commands other than Start and Exit change nothing (each is
    // sent, so its handling is over when the call returns); Exit copies nothing and opens no
    // "Report.txt" though one lies ready. The launch line's document, opened at start-up, shows
    // that the shell's requests are recorded.
    run.Case(L"2048 entries, Report.txt ready", [&](const std::wstring& folder) {
        ToolCase tool(run, folder);
        tool.WriteFile(L"Readme.txt", "readme");
        tool.WritePackage({{L"A", PerUser, ListedTimes(2048)}}, L"[x]Readme.txt");
        HWND dialog = tool.StartToMainDialog();
        HWND waitDialog = tool.AwaitDialog("the wait dialog", &IsWaitDialog);
        run.True("wait dialog hidden once the main dialog shows", !IsWindowVisible(waitDialog));
        run.Equal("caption", L"Norvane", WindowText(dialog));
        run.Equal("Start", L"Start", ControlText(dialog, kStart));
        run.Equal("Exit", L"Exit", ControlText(dialog, kExit));
        run.Equal("static texts in order (one per line)",
                  L"Files will be copied\nDestination folder\nProcessing file\n"
                  L"Bytes transferred / Bytes in total\n\nbyte\nbyte / \n\n0 %\n",
                  ChildTexts(dialog, L"Static"));
        HWND bar = GetDlgItem(dialog, kBar);
        run.EqualNumber("progress bar low end", 0, SendMessageW(bar, PBM_GETRANGE, TRUE, 0));
        run.EqualNumber("progress bar high end", 100, SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
        const Display initial{
            L"Files will be copied", L"", L"", L"byte", L"", L"0 %", 0, true, true};
        tool.CheckDisplay("first view", dialog, initial);
        tool.CheckNoOtherDialog("first view", {dialog, waitDialog});

        const struct {
            const char* name;
            WPARAM command;
        } commands[] = {
            {"cancel (id 2)", MAKEWPARAM(IDCANCEL, BN_CLICKED)},
            {"OK (id 1)", MAKEWPARAM(IDOK, BN_CLICKED)},
            {"id of the status line", MAKEWPARAM(kStatus, 0)},
            {"cancel with the id of Start in the high word", MAKEWPARAM(IDCANCEL, kStart)},
            {"id 0xFFFF", MAKEWPARAM(0xFFFF, 0)},
        };
        for (const auto& command : commands) {
            const std::string stage = std::string("after the command ") + command.name;
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(dialog, WM_COMMAND, command.command, 0, SMTO_ABORTIFHUNG, 5000,
                                     &result)) {
                run.Abort(stage, "the dialog did not handle it in time");
            }
            run.True(stage + ": dialog still shown", IsWindow(dialog) && IsWindowVisible(dialog));
            run.True(stage + ": tool still running", !tool.Tool().HasExited());
            tool.CheckDisplay(stage, dialog, initial);
            tool.CheckNoOtherDialog(stage, {dialog, waitDialog});
        }
        tool.Exit(dialog, {tool.InRoot(L"Readme.txt")});
        run.Equal("files in the install folder", L"", FilesIn(folder + L"install\\"));
    });
}

E2E_SCENARIO(prep_messages) {
    // Each way the preparation gives up: its boxes in order, the main dialog not shown, then the
    // tool ends with 0 and copies nothing, even when an earlier section had already listed files.
    struct Box {
        ExpectedBox expected;
        bool ownedByMainDialog;
    };
    auto plain = [](std::wstring text) {
        return std::vector<Box>{{{SystemDefaultBoxCaption(), std::move(text)}, true}};
    };
    auto readError = [](const std::wstring& name) {
        return ExpectedBox{
            L"File read error",
            L"Failed to load a file to copy. \nCompare the file name written on the text and "
            L"the actual file name.\n\n[File name to copy written on the text]  " +
                name};
    };
    auto failedOpen = [](DWORD code, ExpectedBox second) {
        return std::vector<Box>{{{L"error", SystemText(code), true}, false},
                                {std::move(second), true}};
    };
    // After the boxes, answered in turn, the tool ends with 0, having copied nothing.
    auto expectBoxes = [&](ToolCase& tool, const std::vector<Box>& boxes) {
        tool.Start();
        for (size_t i = 0; i < boxes.size(); ++i) {
            const std::string stage = "box " + std::to_string(i + 1);
            const MessageBoxView box = tool.AwaitMessageBox(stage);
            HWND mainDialog = tool.AwaitDialog("the main dialog", &IsMainDialog);
            tool.CheckBox(stage, box, boxes[i].expected,
                          boxes[i].ownedByMainDialog ? mainDialog : nullptr);
            run.True(stage + ": main dialog not shown", !IsWindowVisible(mainDialog));
            tool.Answer(box);
        }
        tool.ExpectExit();
        tool.ExpectDebugOutput(L"");
        run.Equal("files in the install folders", L"", FilesIn(tool.Folder() + L"install\\"));
    };
    const Product one{L"A", PerUser, {{L"One.dat", 3}}};
    const std::wstring bMissing = L"Product B is not installed. The update cannot continue.";
    const std::wstring invalidSource = L"Directory setting is not valid.";
    struct Row {
        const wchar_t* name;
        std::vector<Product> products;
        std::vector<Box> boxes;
    };
    const Row rows[] = {
        {L"action 1 on a section whose key exists nowhere",
         {one, {L"B", NoKey, {{L"One.dat", 3}}, true, L"1", bMissing}},
         plain(bMissing)},
        {L"action 257 counts as 1",
         {{L"B", NoKey, {{L"One.dat", 3}}, true, L"257", L"B missing"}},
         plain(L"B missing")},
        {L"source line without the root marker",
         {one, {L"B", NoKey, {{L"One.dat", 3}}, true, L"0", L"not shown", L"Root\\B\\"}},
         plain(invalidSource)},
        {L"root marker in lower case",
         {{L"A", PerUser, {{L"One.dat", 3}}, true, L"0", L"not shown", L"%root%\\A\\"}},
         plain(invalidSource)},
        {L"2049 applying file lines",
         {{L"A", PerUser, ListedTimes(2049)}},
         plain(L"Exceeded the maximum number of files for copy.")},
        // Line 9: the launch line, a header, five parameter lines, One.dat, then the TAB line.
        {L"a file line that begins with a TAB",
         {{L"A", PerUser, {{L"One.dat", 3}, {L"\tTwo.dat", kNotWritten}}}},
         plain(L"Line 9 of 'Update.up' begins with a separator.")},
        {L"key exists nowhere, action 0",
         {{L"B", NoKey, {{L"One.dat", 3}}}},
         plain(L"There is no file to copy.")},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            tool.WritePackage(row.products);
            expectBoxes(tool, row.boxes);
        });
    }
    // A listed source that is missing: the system's report, then the tool's, which tells a full
    // path of 260 units or more apart.
    for (size_t length : {0, 259, 260, 300}) {
        const std::wstring name =
            length ? L"missing file, full source path of " + std::to_wstring(length) + L" units"
                   : L"missing file with a short path";
        run.Case(name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            const std::wstring file =
                length ? NameForPathLength(tool.InRoot(L"A\\"), length) : L"Missing.dat";
            const std::wstring path = tool.InRoot(L"A\\") + file;
            tool.WritePackage({{L"A", PerUser, {{L"One.dat", 3}, {file, kNotWritten}}}});
            const ExpectedBox pathError{L"Path error",
                                        L"Exceeded the path length limit of 260 characters. "
                                        L"\n\n[character count] " +
                                            std::to_wstring(path.size()) + L"\n [path]  " + path};
            expectBoxes(tool,
                        failedOpen(OpenFailure(path), length < 260 ? readError(file) : pathError));
        });
    }
}

E2E_SCENARIO(prep_registry_32bit_view) {
    // The 32-bit tool reads the per-machine key without naming a view, so it sees the 32-bit
    // view; a value present only in the 64-bit view is not found.
    if (!Is32BitProgram(run.Context().productExe)) {
        run.Skip("the registry views differ only for the 32-bit product");
    }
    struct Row {
        const wchar_t* name;
        RegistryView view;
        bool found;
    };
    const Row rows[] = {
        {L"value only in the 32-bit view", RegistryView::Bits32, true},
        {L"value only in the 64-bit view", RegistryView::Bits64, false},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            const Product product{L"A", NoKey, {{L"One.dat", 3}},
                                  true, L"1",  L"Not found per machine"};
            tool.WritePackage({product});
            tool.Registry().SetString(HKEY_LOCAL_MACHINE, ToolCase::Key(product), L"INSTALLDIR",
                                      tool.Install(product), {row.view});
            if (row.found) {
                tool.Exit(tool.StartToMainDialog(), {});
                return;
            }
            tool.Start();
            const MessageBoxView box = tool.AwaitMessageBox("lookup");
            tool.CheckBox("lookup", box, {SystemDefaultBoxCaption(), L"Not found per machine"},
                          tool.AwaitDialog("the main dialog", &IsMainDialog));
            tool.Answer(box);
            tool.ExpectExit();
        });
    }
}
