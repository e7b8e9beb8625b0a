// The preparation as a user meets it: the main dialog as it first shows, with the wait dialog
// hidden; the boxes with which the preparation gives up; the registry view through which the
// 32-bit tool finds its folders.
#include "harness/ToolCase.h"

namespace {
// The caption that Wine (and an English Windows) gives a box shown without one.
constexpr wchar_t kDefaultCaption[] = L"Error";
}  // namespace

E2E_SCENARIO(prep_main_dialog_before_start) {
    // Once prepared, the main dialog shows its first view and the wait dialog is hidden, not
    // destroyed; Exit before Start copies nothing and opens nothing, though "Report.txt" is there.
    Case(run, L"one product", [&](ToolCase& tool) {
        tool.WritePackage({{L"A", PerUser, {{L"One.dat", 3}}}});
        HWND dialog = tool.StartToMainDialog();
        HWND waitDialog = tool.AwaitDialog("the wait dialog", &IsWaitDialog);
        run.True("wait dialog", !IsWindowVisible(waitDialog), "shown with the main dialog");
        std::wstring texts = WindowText(dialog) + L"\n";
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            texts += WindowText(child) + L"\n";
        run.Equal("caption, then the controls' texts in order",
                  L"Norvane\nStart\nExit\n\n\nFiles will be copied\nDestination folder\n"
                  L"Processing file\nBytes transferred / Bytes in total\n\nbyte\nbyte / \n\n0 %\n",
                  texts);
        HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
        run.Equal("progress bar range", L"0-100",
                  std::to_wstring(SendMessageW(bar, PBM_GETRANGE, TRUE, 0)) + L"-" +
                      std::to_wstring(SendMessageW(bar, PBM_GETRANGE, FALSE, 0)));
        run.Equal("first view",
                  L"Files will be copied\n\n\nbyte\n\n0 %\nbar 0\nStart enabled\nExit enabled\n",
                  View(dialog));
        tool.Exit(dialog, {});
        run.True("One.dat", !Exists(tool.Destination(tool.entries[0])), "copied without Start");
    });
}

E2E_SCENARIO(prep_messages) {
    // A box of the preparation is shown while the wait dialog shows and the main dialog is
    // hidden; answered, the tool ends with 0, having copied nothing, not even what an earlier
    // section listed. A source that cannot be opened shows the system's text in a box of its own.
    struct Row {
        const wchar_t* name;
        std::vector<Product> products;
        std::vector<std::pair<MessageBoxView, bool>> boxes;  // and whether the main dialog owns it
    };
    const Row rows[] = {
        {L"action 1 on a section whose key exists nowhere",
         {{L"A", PerUser, {{L"One.dat", 3}}},
          {L"B", NoKey, {{L"One.dat", 3}}, L"1", L"Product B is not installed."}},
         {{{kDefaultCaption, L"Product B is not installed."}, true}}},
        {L"a listed source that cannot be opened",
         {{L"A", PerUser, {{L"One.dat", 3}, {L"Missing.dat", 3}}}},
         {{{L"error", SystemText(ERROR_FILE_NOT_FOUND), true}, false},
          {{L"File read error",
            L"Failed to load a file to copy. \nCompare the file name written on the text and the "
            L"actual file name.\n\n[File name to copy written on the text]  Missing.dat"},
           true}}},
    };
    for (const Row& row : rows) {
        Case(run, row.name, [&](ToolCase& tool) {
            tool.WritePackage(row.products);
            DeleteFileW((tool.root + L"A\\Missing.dat").c_str());  // the second row's source
            tool.Start();
            for (const auto& [expected, ownedByMainDialog] : row.boxes) {
                HWND mainDialog = tool.AwaitDialog("the main dialog", &IsMainDialog);
                const MessageBoxView box = tool.ExpectBox(Narrow(expected.caption), expected,
                                                          ownedByMainDialog ? mainDialog : nullptr);
                run.True("dialogs while the box shows",
                         !IsWindowVisible(mainDialog) &&
                             IsWindowVisible(tool.AwaitDialog("the wait dialog", &IsWaitDialog)),
                         "expected the main dialog hidden and the wait dialog shown");
                tool.Answer(box);
            }
            tool.ExpectEnd({});
            for (const ToolCase::Entry& entry : tool.entries)
                run.True(Narrow(tool.Destination(entry)), !Exists(tool.Destination(entry)),
                         "copied");
        });
    }
}

E2E_SCENARIO(prep_registry_32bit_view) {
    // Every build reads the per-machine key in the 32-bit view, where the shipped 32-bit exe
    // finds the products' settings; a value present only in the 64-bit view is not found.
    struct Row {
        const wchar_t* name;
        REGSAM view;
        bool found;
    };
    const Row rows[] = {
        {L"value only in the 32-bit view", KEY_WOW64_32KEY, true},
        {L"value only in the 64-bit view", KEY_WOW64_64KEY, false},
    };
    for (const Row& row : rows) {
        Case(run, row.name, [&](ToolCase& tool) {
            const Product product{L"A", NoKey, {{L"One.dat", 3}}, L"1", L"Not found"};
            tool.WritePackage({product});
            SetValue(HKEY_LOCAL_MACHINE, L"Software\\NorvaneE2E\\A", L"INSTALLDIR",
                     tool.Install(product), row.view);
            if (row.found) return tool.Exit(tool.StartToMainDialog(), {});
            tool.Start();
            HWND mainDialog = tool.AwaitDialog("the main dialog", &IsMainDialog);
            tool.Answer(tool.ExpectBox("lookup", {kDefaultCaption, L"Not found"}, mainDialog));
            tool.ExpectEnd({});
        });
    }
}
