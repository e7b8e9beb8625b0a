// Copying as a user meets it: Start copies every listed file into its product's install folder,
// the main dialog follows the run to "Copy complete!", the first failure stops the run with a
// box, and Exit afterwards asks the shell to open "Report.txt".
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "harness/Files.h"
#include "harness/TextForm.h"
#include "harness/ToolCase.h"

namespace {

constexpr wchar_t kTemporaryName[] = L"~norvane.copy.tmp";

using Entry = ToolCase::Entry;

void ExpectBytes(ScenarioRun& run, const std::wstring& path, const std::string& expected) {
    const std::optional<std::string> actual = ReadBytes(path);
    run.True(ToUtf8(path) + ": contents", actual == expected,
             actual ? "other bytes (" + std::to_string(actual->size()) + " of them, " +
                          std::to_string(expected.size()) + " expected)"
                    : "the file cannot be read");
}

// What a file set to the normal attribute reads back as here (Wine adds the archive attribute).
DWORD NormalAttributes(const ToolCase& tool) {
    const std::wstring probe = tool.Folder() + L"attribute-probe";
    WriteBytes(probe, "probe");
    SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    return GetFileAttributesW(probe.c_str());
}

void ExpectCopied(ScenarioRun& run, const ToolCase& tool, const Entry& entry, DWORD normal) {
    const std::wstring destination = tool.Destination(entry);
    ExpectBytes(run, destination, ToolCase::Contents(entry));
    run.EqualNumber(ToUtf8(destination) + ": attributes", normal,
                    GetFileAttributesW(destination.c_str()));
}

// No temporary copy may stay beside any destination, whatever became of the run.
void ExpectNoTemporary(ScenarioRun& run, const ToolCase& tool) {
    for (const Entry& entry : tool.Entries()) {
        const std::wstring temporary = FolderOf(tool.Destination(entry)) + kTemporaryName;
        run.True(ToUtf8(temporary) + ": left behind", !Exists(temporary),
                 "expected no temporary file, it exists");
    }
}

// The dialog at the end of a run that ended at `entry`, the last one copied or the one failed.
Display Ended(const ToolCase& tool, const Entry& entry, const std::wstring& total,
              const std::wstring& copied, const wchar_t* percent, long long bar,
              const wchar_t* status = kComplete) {
    // The file is shown without its folder and its last extension.
    std::wstring name = entry.file->name.substr(entry.file->name.find_last_of(L'\\') + 1);
    name = name.substr(0, name.find_last_of(L'.'));
    return {status, tool.Install(*entry.product), name, total + L"byte", copied, percent, bar,
            false, true};
}

// Starts the tool, waits for the main dialog, lets `beforeStart` act while it waits, presses Start.
HWND StartCopy(ToolCase& tool, const std::function<void()>& beforeStart = {}) {
    HWND dialog = tool.StartToMainDialog();
    if (beforeStart) beforeStart();
    Click(dialog, kStart);
    return dialog;
}

}  // namespace

E2E_SCENARIO(copy_package_complete) {
    // A whole run without failure, checked to its end: the dialog, every file copied byte for byte
    // and left with the normal attribute, no temporary file, no decoy folder, Exit opening
    // "Report.txt", no debugger output.
    struct Row {
        const wchar_t* name;
        std::vector<Product> products;
        const wchar_t* total;
        // Files given attributes before the run, under the case folder; those under install\ are
        // written first, larger than the new ones.
        std::vector<std::pair<const wchar_t*, DWORD>> attributes = {};
    };
    constexpr DWORD kReadOnly = FILE_ATTRIBUTE_READONLY, kHidden = FILE_ATTRIBUTE_HIDDEN;
    const Row rows[] = {
        {L"two products, per-user and per-machine keys",
         {{L"A", PerUser, {{L"Prog.exe", 1000000}, {L"sub\\setup.dat", 200000}}},
          {L"B", PerMachine, {{L"Data\\Table.dat", 34000}, {L"docs\\manual.pdf", 567}}}},
         L"1,234,567"},
        // C's per-user key wins over its per-machine one; D's per-user key lacks the value, so its
        // per-machine one counts. A copy does not keep its source's read-only attribute; an empty
        // file counts nothing.
        {L"four products, per-user key preferred or lacking the value, read-only and empty sources",
         {{L"A", PerUser, {{L"a.bin", 999}}},
          {L"B", PerMachine, {{L"empty.dat", 0}, {L"lib\\x\\y\\deep.bin", 1}}},
          {L"C", PerUser | PerMachine, {{L"notes.txt", 10}, {L"pkg\\archive.tar.gz", 990}}},
          {L"D", UserKeyOnly | PerMachine, {{L"d.bin", 1000}}}},
         L"3,000",
         {{L"package\\C\\pkg\\archive.tar.gz", kReadOnly}}},
        // Missing folders on the way are made before a file is copied; a later file reuses them.
        {L"three levels below the install folder",
         {{L"A",
           PerUser,
           {{L"Data\\Deep\\er\\f.bin", 1234}, {L"Data\\Deep\\g.bin", 10}, {L"h.bin", 6}}}},
         L"1,250"},
        {L"the install folder and its parents missing",
         {{L"New\\Product", PerMachine, {{L"file.bin", 4096}, {L"a\\b.txt", 4}}, false}},
         L"4,100"},
        {L"protected destinations overwritten",
         {{L"A", PerUser, {{L"tool.dll", 3000}, {L"bin\\tool.dll", 3000}, {L"sys.dll", 3000}}}},
         L"9,000",
         {{L"install\\A\\tool.dll", kReadOnly | kHidden},
          {L"install\\A\\bin\\tool.dll", kReadOnly},
          {L"install\\A\\sys.dll", kHidden | FILE_ATTRIBUTE_SYSTEM}}},
        {L"only an empty file", {{L"A", PerUser, {{L"empty.dat", 0}}}}, L"0"},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            tool.WritePackage(row.products);
            for (const auto& [file, attributes] : row.attributes) {
                const std::wstring path = folder + file;
                if (!Exists(path)) WriteBytes(path, std::string(5000, 'o'));
                SetFileAttributesW(path.c_str(), attributes);
                if ((GetFileAttributesW(path.c_str()) & attributes) != attributes) {
                    run.Abort("setup", "the file system here does not keep the attributes of " +
                                           ToUtf8(path));
                }
            }
            const DWORD normal = NormalAttributes(tool);
            HWND dialog = StartCopy(tool);
            tool.AwaitRunEnd(dialog);
            Display expected =
                Ended(tool, tool.Entries().back(), row.total, row.total, L"100 %", 100);
            if (row.total == std::wstring(L"0")) {
                // With nothing to count, the share copied is left open.
                expected.percent = ControlText(dialog, kPercent);
                expected.bar = SendMessageW(GetDlgItem(dialog, kBar), PBM_GETPOS, 0, 0);
            }
            tool.CheckDisplay("after the run", dialog, expected);
            for (const Entry& entry : tool.Entries()) ExpectCopied(run, tool, entry, normal);
            ExpectNoTemporary(run, tool);
            run.True("no decoy folder", !Exists(folder + L"decoy"), "expected none, it exists");
            tool.Exit(dialog, {tool.InRoot(L"Report.txt")});
            tool.ExpectDebugOutput(L"");
        });
    }
}

E2E_SCENARIO(copy_stops_at_failure) {
    // The second of four entries fails when Start comes to it: the run stops with a box, the
    // status line says so, the first entry stays copied, the later ones (in its product and the
    // next) are not copied, a file already where the failed one goes stays as it was, its
    // attributes included, no temporary file is left, and Exit opens "Report.txt". A source that cannot be read any more shows the system's report, also
    // on the debugger output; a file where a folder must be shows "Failed to make directory.".
    struct Row {
        const wchar_t* name;
        const wchar_t* second;  // the failing entry, first of product B
        const wchar_t* kept;    // a file already there, under the install folders
        bool bInstalled;        // whether B's install folder exists
        DWORD error;            // of reading the source; 0: a folder cannot be made
        bool (*disturb)(ToolCase& tool, const std::wstring& source);  // after the preparation
    };
    const Row rows[] = {
        {L"source file deleted", L"sub\\gone.dat", L"B\\sub\\gone.dat", true, ERROR_FILE_NOT_FOUND,
         [](ToolCase&, const std::wstring& source) {
             return DeleteFileW(source.c_str()) != FALSE;
         }},
        {L"source folder removed", L"sub\\gone.dat", L"B\\sub\\gone.dat", true,
         ERROR_PATH_NOT_FOUND,
         [](ToolCase&, const std::wstring& source) {
             RemoveTree(FolderOf(source));
             return !Exists(FolderOf(source));
         }},
        {L"source opened exclusively by another program", L"sub\\gone.dat", L"B\\sub\\gone.dat",
         true, ERROR_SHARING_VIOLATION,
         [](ToolCase& tool, const std::wstring& source) {
             tool.HoldOpen(source, GENERIC_READ, 0);
             return true;
         }},
        // A running exe or dll of the product holds its file so; found before anything is copied.
        {L"destination held open by another program", L"sub\\held.dll", L"B\\sub\\held.dll", true,
         ERROR_SHARING_VIOLATION,
         [](ToolCase& tool, const std::wstring&) {
             tool.HoldOpen(tool.Folder() + L"install\\B\\sub\\held.dll", GENERIC_READ,
                           FILE_SHARE_READ);
             return true;
         }},
        {L"a file where the first folder must be", L"Data\\file.bin", L"B\\Data", true, 0, nullptr},
        {L"a file where a deeper folder must be", L"Data\\Deep\\file.bin", L"B\\Data\\Deep", true,
         0, nullptr},
        {L"a file where the install folder must be", L"file.bin", L"B", false, 0, nullptr},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            tool.WritePackage(
                {{L"A", PerUser, {{L"first.bin", 1500}}},
                 {L"B", PerMachine, {{row.second, 2000}, {L"later.bin", 700}}, row.bInstalled},
                 {L"C", PerUser, {{L"c.bin", 300}}}});
            // Protected, so a failure that gave its attributes away would show.
            const std::wstring kept = folder + L"install\\" + row.kept;
            WriteBytes(kept, "a file already there");
            SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
            const DWORD keptAttributes = GetFileAttributesW(kept.c_str());
            const DWORD normal = NormalAttributes(tool);
            const auto& entries = tool.Entries();
            HWND dialog = StartCopy(tool, [&] {
                if (row.disturb &&
                    !row.disturb(tool, tool.InRoot(L"B\\" + std::wstring(row.second)))) {
                    run.Abort("setup", "cannot disturb the source");
                }
            });
            const MessageBoxView box = tool.AwaitMessageBox("copy failure");
            const std::wstring systemText = SystemText(row.error);
            if (row.error) {
                tool.CheckBox(
                    "copy failure", box,
                    {L"error",
                     L"\u25C6message\u25C6\r\nCopy failed.\r\n\n\u25C6error\u25C6\r\n" + systemText,
                     true},
                    nullptr);
            } else {
                tool.CheckBox("copy failure", box,
                              {L"File transfer error", L"Failed to make directory."}, dialog);
            }
            const Display stopped =
                Ended(tool, entries[1], L"4,500", L"1,500", L" 33 %", 33, kStopped);
            Display whileBox = stopped;
            whileBox.status = kCopying;
            whileBox.exitEnabled = false;
            tool.CheckDisplay("while the failure box shows", dialog, whileBox);
            tool.Answer(box);
            tool.AwaitRunEnd(dialog);
            tool.CheckDisplay("after the failure", dialog, stopped);

            ExpectBytes(run, kept, "a file already there");
            run.EqualNumber(ToUtf8(kept) + ": attributes", keptAttributes,
                            GetFileAttributesW(kept.c_str()));
            ExpectCopied(run, tool, entries[0], normal);
            for (size_t i = 2; i < entries.size(); ++i) {
                run.True(ToUtf8(tool.Destination(entries[i])) + ": copied",
                         !Exists(tool.Destination(entries[i])), "expected no file, it exists");
            }
            ExpectNoTemporary(run, tool);
            tool.Exit(dialog, {tool.InRoot(L"Report.txt")});
            tool.ExpectDebugOutput(row.error ? ErrorReport(407, L"source files\\norvane\\norvane",
                                                           L"Copy failed.\n" + systemText)
                                             : L"");
        });
    }
}

E2E_SCENARIO(copy_close_during_copy) {
    // A close request right after Start, while large files are copied: either it is refused and
    // the run goes on to its end with the dialog open, after which the same request closes it,
    // or the run had already ended and the dialog closes. Either way no file is lost or left
    // half-made, nothing is opened, and the tool ends with 0.
    struct Row {
        const wchar_t* name;
        UINT message;
        WPARAM wParam;
    };
    static const Row rows[] = {
        {L"WM_CLOSE", WM_CLOSE, 0},
        {L"WM_SYSCOMMAND SC_CLOSE", WM_SYSCOMMAND, SC_CLOSE},
    };
    constexpr long long kBig = 32 << 20;
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            tool.WritePackage(
                {{L"A",
                  PerUser,
                  {{L"big1.bin", kBig}, {L"media\\big2.bin", kBig}, {L"big3.bin", kBig}}}});
            const DWORD normal = NormalAttributes(tool);
            HWND dialog = StartCopy(tool);
            // Posted after Start's click, so the dialog meets it right after creating the worker.
            PostMessageW(dialog, row.message, row.wParam, 0);
            if (tool.AwaitRunEnd(dialog, 30000, true)) {
                run.Note("the close request came while the copy ran and was refused");
                tool.CheckDisplay("after the run", dialog,
                                  Ended(tool, tool.Entries().back(), L"100,663,296", L"100,663,296",
                                        L"100 %", 100));
                PostMessageW(dialog, row.message, row.wParam, 0);
            } else {
                // Closing is right only after the run: by then its last file is in place.
                run.Note("the dialog closed at the close request");
                run.True("run ended before the dialog closed",
                         Exists(tool.Destination(tool.Entries().back())),
                         "the dialog closed while the copy was still running");
            }
            tool.ExpectExit();
            tool.ExpectOpened({});
            for (const Entry& entry : tool.Entries()) ExpectCopied(run, tool, entry, normal);
            ExpectNoTemporary(run, tool);
        });
    }
}

E2E_SCENARIO(copy_destination_path_length) {
    // No copy can write a destination path of 260 units or more: the run stops with the system's
    // text for a name too long, before any folder is made for it. A destination just under the
    // limit, a short name in a long folder, is copied over the file there, although the
    // temporary copy's name is longer than the file's.
    struct Row {
        const wchar_t* name;
        std::wstring file;
        size_t destinationUnits;
    };
    const Row rows[] = {
        {L"destination of 300 units", L"sub\\" + std::wstring(60, L'n') + L".dll", 300},
        {L"destination of 255 units, short name", L"a.dll", 255},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            const size_t installUnits = row.destinationUnits - row.file.size();
            std::wstring install = folder + L"install\\";
            while (install.size() + 52 < installUnits) install += std::wstring(50, L'f') + L"\\";
            install += std::wstring(installUnits - install.size() - 1, L'g') + L"\\";
            const std::wstring destination = install + row.file;
            const bool fits = destination.size() < 260;
            if (fits) WriteBytes(destination, "old");
            const std::wstring key = L"Software\\NorvaneE2E\\L";
            tool.Registry().SetString(HKEY_CURRENT_USER, key, L"INSTALLDIR", install);
            tool.WriteFile(L"L\\" + row.file, "new");
            tool.WriteFile(L"Report.txt", "report");
            tool.WriteListText(L"[x]\r\n[SetParamter]\r\n" + key + L"\r\nNone\r\n0\r\nm\r\n%Root%\\L\\\r\n" +
                               row.file + L"\r\n");
            HWND dialog = StartCopy(tool);
            std::wstring debugOutput;
            if (fits) {
                tool.AwaitRunEnd(dialog);
                run.Equal("status", kComplete, ControlText(dialog, kStatus));
                ExpectBytes(run, destination, "new");
                run.True("no temporary left", !Exists(install + kTemporaryName),
                         "expected none, it exists");
            } else {
                const std::wstring systemText = SystemText(ERROR_FILENAME_EXCED_RANGE);
                const MessageBoxView box = tool.AwaitMessageBox("copy failure");
                tool.CheckBox("copy failure", box,
                              {L"error",
                               L"\u25C6message\u25C6\r\nCopy failed.\r\n\n\u25C6error\u25C6\r\n" +
                                   systemText,
                               true},
                              nullptr);
                tool.Answer(box);
                tool.AwaitRunEnd(dialog);
                run.Equal("status", kStopped, ControlText(dialog, kStatus));
                run.True("no folder made", !Exists(folder + L"install"), "the install folder exists");
                debugOutput =
                    ErrorReport(407, L"source files\\norvane\\norvane", L"Copy failed.\n" + systemText);
            }
            tool.Exit(dialog, {tool.InRoot(L"Report.txt")});
            tool.ExpectDebugOutput(debugOutput);
        });
    }
}
