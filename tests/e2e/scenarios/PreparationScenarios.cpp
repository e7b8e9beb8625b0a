// The preparation as a user meets it: the wait dialog, the main dialog as it first shows, every
// message with which the preparation of the copy list gives up, the total shown at Start, the
// buttons before Start, and where the registry sends the files.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "harness/Files.h"
#include "harness/PeImage.h"
#include "harness/Scenario.h"
#include "harness/TextForm.h"
#include "harness/ToolCase.h"
#include "harness/UniqueHandle.h"

namespace {

constexpr int kStart = 1049, kExit = 1050, kDestination = 1047, kProgress = 1048, kFileName = 1051;
constexpr int kTotal = 1052, kStatus = 1053, kCopied = 1054, kPercent = 1055;
constexpr DWORD kCopyWaitMs = 30000;

const std::wstring kKeyBase = L"Software\\NorvaneE2E\\Preparation\\";
// Never written by any case: a product whose key exists nowhere.
const std::wstring kAbsentKey = kKeyBase + L"Absent";
const std::wstring kCopying = L"Copying \u2026";

// One parameter section of "Update.up"; the defaults make a section that applies wherever its
// key names a folder, takes its files from the package's "src" folder and asks for nothing.
struct Section {
    std::wstring key;
    std::vector<std::wstring> files;
    std::wstring action = L"0";
    std::wstring message = L"Product is not installed.";
    std::wstring source = L"%Root%\\src\\";
};

// A list whose launch line opens nothing, followed by the sections.
std::wstring ListText(const std::vector<Section>& sections) {
    std::wstring text = L"[x]\r\n";
    for (const Section& s : sections) {
        text += L"[SetParamter]\r\n" + s.key + L"\r\nNone\r\n" + s.action + L"\r\n" + s.message +
                L"\r\n" + s.source + L"\r\n";
        for (const std::wstring& file : s.files) text += file + L"\r\n";
    }
    return text;
}

// The text that the system holds for an error code, fetched the way the tool fetches it.
std::wstring SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = buffer ? buffer : L"";
    LocalFree(buffer);
    return text;
}

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

// Files below a folder, as relative paths, in the order the system lists them.
void ListFiles(const std::wstring& folder, const std::wstring& prefix,
               std::vector<std::wstring>& found) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + prefix + L"*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(folder, prefix + name + L"\\", found);
        } else {
            found.push_back(prefix + name);
        }
    } while (FindNextFileW(search, &data));
    FindClose(search);
}

std::wstring FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> found;
    ListFiles(folder, L"", found);
    std::wstring joined;
    for (const std::wstring& file : found) joined += file + L"\n";
    return joined;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
    return true;
}

// A package with a destination folder "dest" that the per-user key `key` names.
struct Package {
    Package(ScenarioRun& run, const std::wstring& caseFolder)
        : tool(run, caseFolder), dest(caseFolder + L"dest\\"), key(kKeyBase + L"Product") {
        MakeFolders(dest);
        tool.Registry().SetStringInBothViews(HKEY_CURRENT_USER, key, L"INSTALLDIR",
                                             caseFolder + L"dest");
    }
    ToolCase tool;
    std::wstring dest;
    std::wstring key;
};

HWND AwaitShownMainDialog(ToolCase& tool) {
    return tool.AwaitDialog("the main dialog shown",
                            [](HWND w) { return IsMainDialog(w) && IsWindowVisible(w); });
}

// Presses Start and waits until the worker has marked the run finished.
void StartAndAwaitEnd(ScenarioRun& run, ToolCase& tool, HWND dialog) {
    Click(dialog, kStart);
    if (!WaitUntil(
            [&] {
                return ControlText(dialog, kStatus) == L"Copy complete!" &&
                       IsControlEnabled(dialog, kExit);
            },
            kCopyWaitMs)) {
        run.Abort("copy run", "expected \"Copy complete!\" and Exit enabled; status " +
                                  Visible(ControlText(dialog, kStatus)) + "; " +
                                  tool.Tool().StateForReport());
    }
}

void ExitAndEnd(ToolCase& tool, HWND dialog) {
    Click(dialog, kExit);
    tool.ExpectExit(0);
}

std::string Bytes(size_t count) {
    return std::string(count, 'b');
}

}  // namespace

E2E_SCENARIO(prep_wait_dialog) {
    // Once the main dialog shows, the wait dialog is hidden, not destroyed, and keeps its texts.
    run.Case(L"list ready", [&](const std::wstring& folder) {
        Package p(run, folder);
        p.tool.WriteFile(L"src\\One.dat", "one");
        p.tool.WriteListText(ListText({{p.key, {L"One.dat"}}}));
        p.tool.Start();
        HWND mainDialog = AwaitShownMainDialog(p.tool);
        HWND waitDialog = p.tool.AwaitDialog("the wait dialog", &IsWaitDialog);
        p.tool.CheckNoOtherDialog("ready", {mainDialog, waitDialog});
        run.True("wait dialog hidden once the main dialog shows", !IsWindowVisible(waitDialog));
        run.Equal("wait dialog caption", L"Norvane", WindowText(waitDialog));
        std::wstring texts;
        for (const std::wstring& text : ChildTexts(waitDialog, L"Static")) texts += text + L"\n";
        run.Equal("wait dialog texts (one per line)",
                  L"Preparing for file copy \u2026\n* This may take a while, depending on the "
                  L"computer environment.\n",
                  texts);
        ExitAndEnd(p.tool, mainDialog);
    });
}

E2E_SCENARIO(prep_main_dialog_initial) {
    run.Case(L"list ready", [&](const std::wstring& folder) {
        Package p(run, folder);
        p.tool.WriteFile(L"src\\One.dat", "one");
        p.tool.WriteListText(ListText({{p.key, {L"One.dat"}}}));
        p.tool.Start();
        HWND dialog = AwaitShownMainDialog(p.tool);
        run.Equal("caption", L"Norvane", WindowText(dialog));
        const struct {
            int id;
            const wchar_t* text;
        } controls[] = {{kStart, L"Start"},  {kExit, L"Exit"},
                        {kDestination, L""}, {kStatus, L"Files will be copied"},
                        {kFileName, L""},    {kTotal, L"byte"},
                        {kCopied, L""},      {kPercent, L"0 %"}};
        for (const auto& control : controls) {
            run.Equal("text of control " + std::to_string(control.id), control.text,
                      ControlText(dialog, control.id));
        }
        std::wstring statics;
        for (const std::wstring& text : ChildTexts(dialog, L"Static")) statics += text + L"\n";
        run.Equal("static texts in order (one per line)",
                  L"Files will be copied\nDestination folder\nProcessing file\n"
                  L"Bytes transferred / Bytes in total\n\nbyte\nbyte / \n\n0 %\n",
                  statics);
        run.True("Start enabled", IsControlEnabled(dialog, kStart));
        run.True("Exit enabled", IsControlEnabled(dialog, kExit));
        HWND bar = GetDlgItem(dialog, kProgress);
        run.EqualNumber("progress bar low end", 0, SendMessageW(bar, PBM_GETRANGE, TRUE, 0));
        run.EqualNumber("progress bar high end", 100, SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
        run.EqualNumber("progress bar position", 0, SendMessageW(bar, PBM_GETPOS, 0, 0));
        ExitAndEnd(p.tool, dialog);
        run.Equal("files in the destination", L"", FilesIn(p.dest));
    });
}

E2E_SCENARIO(prep_messages) {
    // Each way the preparation gives up: its boxes in order, then the tool ends with 0 and
    // copies nothing, even when an earlier section had already listed files.
    struct Box {
        ExpectedBox expected;
        bool ownedByMainDialog;
    };
    auto plain = [](std::wstring text) {
        return Box{{SystemDefaultBoxCaption(), std::move(text), false}, true};
    };
    auto failedOpen = [&](DWORD code, ExpectedBox second) {
        return std::vector<Box>{{{L"error", SystemText(code), true}, false},
                                {std::move(second), true}};
    };
    auto readError = [](const std::wstring& name) {
        return ExpectedBox{L"File read error",
                           L"Failed to load a file to copy. \nCompare the file name written on "
                           L"the text and the actual file name.\n\n"
                           L"[File name to copy written on the text]  " +
                               name,
                           false};
    };
    // A missing source whose full path has exactly `length` units.
    auto missingOfLength = [&](size_t length) {
        return [=](Package& p) {
            const std::wstring name = NameForPathLength(p.tool.InRoot(L"src\\"), length);
            const std::wstring path = p.tool.InRoot(L"src\\") + name;
            p.tool.WriteListText(ListText({{p.key, {L"One.dat", name}}}));
            const ExpectedBox second =
                length < 260 ? readError(name)
                             : ExpectedBox{L"Path error",
                                           L"Exceeded the path length limit of 260 characters. "
                                           L"\n\n[character count] " +
                                               std::to_wstring(path.size()) + L"\n [path]  " + path,
                                           false};
            return failedOpen(OpenFailure(path), second);
        };
    };
    struct Row {
        const wchar_t* name;
        std::function<std::vector<Box>(Package&)> prepare;  // writes the list, gives the boxes
    };
    const Row rows[] = {
        {L"action 1 on a section whose key exists nowhere",
         [&](Package& p) {
             Section absent{kAbsentKey,
                            {L"One.dat"},
                            L"1",
                            L"Product B is not installed. The update cannot continue."};
             p.tool.WriteListText(ListText({{p.key, {L"One.dat"}}, absent}));
             return std::vector<Box>{plain(absent.message)};
         }},
        {L"action 257 counts as 1",
         [&](Package& p) {
             p.tool.WriteListText(ListText({{kAbsentKey, {L"One.dat"}, L"257", L"B missing"}}));
             return std::vector<Box>{plain(L"B missing")};
         }},
        {L"source line without the root marker",
         [&](Package& p) {
             Section bad{kAbsentKey, {L"One.dat"}};
             bad.source = L"Root\\src\\";
             p.tool.WriteListText(ListText({{p.key, {L"One.dat"}}, bad}));
             return std::vector<Box>{plain(L"Directory setting is not valid.")};
         }},
        {L"root marker in lower case",
         [&](Package& p) {
             Section bad{p.key, {L"One.dat"}};
             bad.source = L"%root%\\src\\";
             p.tool.WriteListText(ListText({bad}));
             return std::vector<Box>{plain(L"Directory setting is not valid.")};
         }},
        {L"2049 applying file lines",
         [&](Package& p) {
             p.tool.WriteListText(ListText({{p.key, std::vector<std::wstring>(2049, L"One.dat")}}));
             return std::vector<Box>{plain(L"Exceeded the maximum number of files for copy.")};
         }},
        {L"missing file with a short path",
         [&](Package& p) {
             p.tool.WriteListText(ListText({{p.key, {L"One.dat", L"Missing.dat"}}}));
             return failedOpen(ERROR_FILE_NOT_FOUND, readError(L"Missing.dat"));
         }},
        {L"missing file, full source path of 259 units", missingOfLength(259)},
        {L"missing file, full source path of 260 units", missingOfLength(260)},
        {L"missing file, full source path of 300 units", missingOfLength(300)},
        {L"key exists nowhere, action 0",
         [&](Package& p) {
             p.tool.WriteListText(ListText({{kAbsentKey, {L"One.dat"}}}));
             return std::vector<Box>{plain(L"There is no file to copy.")};
         }},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            Package p(run, folder);
            p.tool.WriteFile(L"src\\One.dat", "one");
            const std::vector<Box> boxes = row.prepare(p);
            p.tool.Start();
            for (size_t i = 0; i < boxes.size(); ++i) {
                const std::string stage = "box " + std::to_string(i + 1);
                const MessageBoxView box = p.tool.AwaitMessageBox(stage);
                HWND mainDialog = p.tool.AwaitDialog("the main dialog", &IsMainDialog);
                p.tool.CheckBox(stage, box, boxes[i].expected,
                                boxes[i].ownedByMainDialog ? mainDialog : nullptr);
                run.True(stage + ": main dialog not shown", !IsWindowVisible(mainDialog));
                p.tool.Answer(box);
            }
            p.tool.ExpectExit(0);
            p.tool.ExpectDebugOutput(L"");
            run.Equal("files in the destination", L"", FilesIn(p.dest));
        });
    }
}

E2E_SCENARIO(prep_start_total) {
    // Start shows the sum of the listed files' sizes and disables both buttons; the copy then
    // runs to its end.
    struct Row {
        const wchar_t* name;
        std::vector<size_t> sizes;  // of src\File<i>.dat, listed in this order
        const wchar_t* total;
        const wchar_t* copied;  // files in the destination afterwards, one per line
    };
    const Row rows[] = {
        {L"files of 1000 and 234567 bytes",
         {1000, 234567},
         L"235,567byte",
         L"File0.dat\nFile1.dat\n"},
        {L"an empty file", {0}, L"0byte", L"File0.dat\n"},
        {L"files of 999 and 1 bytes", {999, 1}, L"1,000byte", L"File0.dat\nFile1.dat\n"},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            Package p(run, folder);
            std::vector<std::wstring> files;
            for (size_t i = 0; i < row.sizes.size(); ++i) {
                const std::wstring name = L"File" + std::to_wstring(i) + L".dat";
                p.tool.WriteFile(L"src\\" + name, Bytes(row.sizes[i]));
                files.push_back(name);
            }
            p.tool.WriteListText(ListText({{p.key, files}}));
            p.tool.Start();
            HWND dialog = AwaitShownMainDialog(p.tool);
            StartAndAwaitEnd(run, p.tool, dialog);
            run.Equal("total", row.total, ControlText(dialog, kTotal));
            run.True("Start stays disabled", !IsControlEnabled(dialog, kStart));
            ExitAndEnd(p.tool, dialog);
            run.Equal("files in the destination", row.copied, FilesIn(p.dest));
            for (size_t i = 0; i < row.sizes.size(); ++i) {
                const auto bytes = ReadBytes(p.dest + L"File" + std::to_wstring(i) + L".dat");
                run.EqualNumber("size of copied file " + std::to_string(i),
                                static_cast<long long>(row.sizes[i]),
                                bytes ? static_cast<long long>(bytes->size()) : -1);
            }
        });
    }
    // A source that goes away after the preparation holds the worker at its failure box: the
    // state that Start leaves can be read while the copy runs. The list is as long as a list may
    // be.
    run.Case(L"2048 entries, copy held by a failure after Start", [&](const std::wstring& folder) {
        Package p(run, folder);
        p.tool.WriteFile(L"src\\One.dat", Bytes(1000));
        p.tool.WriteFile(L"src\\Two.dat", Bytes(234567));
        std::vector<std::wstring> files(2048, L"Two.dat");
        files[0] = L"One.dat";
        p.tool.WriteListText(ListText({{p.key, files}}));
        p.tool.Start();
        HWND dialog = AwaitShownMainDialog(p.tool);
        if (!DeleteFileW(p.tool.InRoot(L"src\\Two.dat").c_str()))
            run.Abort("setup", "cannot remove src\\Two.dat");
        Click(dialog, kStart);
        const MessageBoxView box = p.tool.AwaitMessageBox("copy of the removed source");
        run.True("Start disabled while copying", !IsControlEnabled(dialog, kStart));
        run.True("Exit disabled while copying", !IsControlEnabled(dialog, kExit));
        run.Equal("status while copying", kCopying, ControlText(dialog, kStatus));
        run.Equal("total while copying", L"480,159,649byte", ControlText(dialog, kTotal));
        p.tool.Answer(box);
        if (!WaitUntil([&] { return IsControlEnabled(dialog, kExit); }, kCopyWaitMs)) {
            run.Abort("end of the copy", "expected Exit enabled after the failure box");
        }
        ExitAndEnd(p.tool, dialog);
        run.Equal("files in the destination", L"One.dat\n", FilesIn(p.dest));
    });
}

E2E_SCENARIO(prep_exit_before_start) {
    // Exit before Start opens nothing ("Report.txt" lies ready); the launch line's document, opened
    // at start-up, shows that the shell's requests are recorded.
    run.Case(L"Report.txt present", [&](const std::wstring& folder) {
        Package p(run, folder);
        p.tool.WriteFile(L"src\\One.dat", "one");
        p.tool.WriteFile(L"Report.txt", "report");
        p.tool.WriteFile(L"Readme.txt", "readme");
        std::wstring list = ListText({{p.key, {L"One.dat"}}});
        list.replace(0, 3, L"[x]Readme.txt");
        p.tool.WriteListText(list);
        p.tool.Start();
        HWND dialog = AwaitShownMainDialog(p.tool);
        ExitAndEnd(p.tool, dialog);
        p.tool.ExpectOpened({p.tool.InRoot(L"Readme.txt")});
        run.Equal("files in the destination", L"", FilesIn(p.dest));
    });
}

E2E_SCENARIO(prep_other_commands) {
    // Only the ids of Start and Exit act; the command is sent, so its handling is over when the
    // call returns, and an ended or destroyed dialog would show at once.
    struct Row {
        const wchar_t* name;
        WPARAM command;
    };
    const Row rows[] = {
        {L"cancel (id 2)", MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {L"OK (id 1)", MAKEWPARAM(IDOK, BN_CLICKED)},
        {L"id of the status line", MAKEWPARAM(kStatus, 0)},
        {L"cancel with the id of Start in the high word", MAKEWPARAM(IDCANCEL, kStart)},
        {L"id 0xFFFF", MAKEWPARAM(0xFFFF, 0)},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            Package p(run, folder);
            p.tool.WriteFile(L"src\\One.dat", "one");
            p.tool.WriteFile(L"Report.txt", "report");
            p.tool.WriteListText(ListText({{p.key, {L"One.dat"}}}));
            p.tool.Start();
            HWND dialog = AwaitShownMainDialog(p.tool);
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(dialog, WM_COMMAND, row.command, 0, SMTO_ABORTIFHUNG, 5000,
                                     &result)) {
                run.Abort("sending the command", "the dialog did not handle it in time");
            }
            run.True("dialog still shown", IsWindow(dialog) && IsWindowVisible(dialog));
            run.True("tool still running", !p.tool.Tool().HasExited());
            run.Equal("status", L"Files will be copied", ControlText(dialog, kStatus));
            run.Equal("total", L"byte", ControlText(dialog, kTotal));
            run.True("Start enabled", IsControlEnabled(dialog, kStart));
            run.True("Exit enabled", IsControlEnabled(dialog, kExit));
            p.tool.CheckNoOtherDialog(
                "after the command",
                {dialog, p.tool.AwaitDialog("the wait dialog", &IsWaitDialog)});
            ExitAndEnd(p.tool, dialog);
            p.tool.ExpectOpened({});
            run.Equal("files in the destination", L"", FilesIn(p.dest));
        });
    }
}

E2E_SCENARIO(prep_registry_precedence) {
    // "INSTALLDIR" is looked up per user first, then per machine; the files land where it points.
    struct Row {
        const wchar_t* name;
        bool userValue;
        bool userKeyOnly;  // the per-user key exists with another value only
        bool machineValue;
        bool landsPerUser;
    };
    const Row rows[] = {
        {L"both hives: the per-user value wins", true, false, true, true},
        {L"per-machine value only", false, false, true, false},
        {L"per-user key without the value", false, true, true, false},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            const std::wstring key = kKeyBase + L"Precedence";
            MakeFolders(folder + L"user");
            MakeFolders(folder + L"machine");
            if (row.userValue)
                tool.Registry().SetStringInBothViews(HKEY_CURRENT_USER, key, L"INSTALLDIR",
                                                     folder + L"user");
            if (row.userKeyOnly)
                tool.Registry().SetStringInBothViews(HKEY_CURRENT_USER, key, L"OTHERDIR",
                                                     folder + L"user");
            if (row.machineValue) {
                tool.Registry().SetStringInBothViews(HKEY_LOCAL_MACHINE, key, L"INSTALLDIR",
                                                     folder + L"machine");
            }
            tool.WriteFile(L"src\\One.dat", "one");
            tool.WriteListText(ListText({{key, {L"One.dat"}}}));
            tool.Start();
            HWND dialog = AwaitShownMainDialog(tool);
            StartAndAwaitEnd(run, tool, dialog);
            ExitAndEnd(tool, dialog);
            run.Equal("files in the per-user folder", row.landsPerUser ? L"One.dat\n" : L"",
                      FilesIn(folder + L"user\\"));
            run.Equal("files in the per-machine folder", row.landsPerUser ? L"" : L"One.dat\n",
                      FilesIn(folder + L"machine\\"));
        });
    }
}

E2E_SCENARIO(prep_registry_32bit_view) {
    // The 32-bit tool reads the per-machine key without naming a view, so it sees the 32-bit
    // view; a value present only in the 64-bit view is not found.
    RequireProductMachine(run, kMachineI386,
                          "the registry views differ only for the 32-bit product");
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
            const std::wstring key = kKeyBase + L"MachineView";
            MakeFolders(folder + L"dest");
            tool.Registry().SetString(HKEY_LOCAL_MACHINE, key, L"INSTALLDIR", folder + L"dest",
                                      row.view);
            tool.WriteFile(L"src\\One.dat", "one");
            tool.WriteListText(ListText({{key, {L"One.dat"}, L"1", L"Not found per machine"}}));
            tool.Start();
            if (row.found) {
                ExitAndEnd(tool, AwaitShownMainDialog(tool));
            } else {
                const MessageBoxView box = tool.AwaitMessageBox("lookup");
                tool.CheckBox("lookup", box,
                              {SystemDefaultBoxCaption(), L"Not found per machine", false},
                              tool.AwaitDialog("the main dialog", &IsMainDialog));
                tool.Answer(box);
                tool.ExpectExit(0);
            }
        });
    }
}
