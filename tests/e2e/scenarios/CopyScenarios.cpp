// Copying as a user meets it: Start copies every listed file into its product's install folder,
// the main dialog follows the run to its end, the first failure stops the run with a box, and
// Exit afterwards asks the shell to open "Report.txt".
#include "harness/ToolCase.h"

#include <algorithm>

namespace {

using Entry = ToolCase::Entry;

void ExpectFile(ScenarioRun& run, const std::wstring& path, const std::string& bytes,
                DWORD attributes) {
    const std::optional<std::string> actual = ReadBytes(path);
    run.True(Narrow(path) + ": contents", actual == bytes,
             actual ? "other bytes (" + std::to_string(actual->size()) + " of them, " +
                          std::to_string(bytes.size()) + " expected)"
                    : "the file cannot be read");
    run.Equal(Narrow(path) + ": attributes", std::to_wstring(attributes),
              std::to_wstring(GetFileAttributesW(path.c_str())));
}

// Every file of `entries` copied byte for byte with the normal attributes (as a file set so reads
// them back here: Wine adds the archive attribute), and no file of the tool's own (a copy made
// beside its destination, or an old file moved aside) left anywhere, unless the list names it.
void ExpectCopied(ScenarioRun& run, const ToolCase& tool, const std::vector<Entry>& entries) {
    const std::wstring probe = tool.folder + L"attribute-probe";
    WriteBytes(probe, "probe");
    SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const Entry& entry : entries) {
        ExpectFile(run, tool.Destination(entry), ToolCase::Contents(entry),
                   GetFileAttributesW(probe.c_str()));
    }
    std::vector<std::wstring> listed;
    for (const Entry& entry : tool.entries) listed.push_back(tool.Destination(entry));
    for (const std::wstring& destination : listed) {
        std::error_code none;  // a folder that was never made holds nothing
        for (const auto& file : std::filesystem::directory_iterator(FolderOf(destination), none)) {
            const std::wstring name = file.path().filename().wstring(),
                               path = file.path().wstring();
            const bool side = name.find(L"~norvane") != std::wstring::npos &&
                              (name.size() > 4 && (name.substr(name.size() - 4) == L".new" ||
                                                   name.substr(name.size() - 4) == L".old"));
            run.True(Narrow(path),
                     !side || std::find(listed.begin(), listed.end(), path) != listed.end(),
                     "a file of the tool's own is left behind");
        }
    }
}

// The main dialog after a run (Exit enabled) or while a failure box shows (Exit disabled); the
// file is shown without its folder and its last extension.
std::wstring EndView(const std::wstring& status, const std::wstring& install,
                     const std::wstring& file, const std::wstring& total,
                     const std::wstring& copied, const std::wstring& percent, int bar) {
    return status + L"\n" + install + L"\n" + file + L"\n" + total + L"byte\n" + copied + L"\n" +
           percent + L"\nbar " + std::to_wstring(bar) + L"\nStart disabled\nExit " +
           (status == L"Copying \u2026" ? L"disabled\n" : L"enabled\n");
}

// A copy failure, after which the run has undone whatever it had done.
const std::wstring kCopyFailed = L"Copy failed.\r\nThe installation was left as it was.";

MessageBoxView CopyFailedBox(DWORD error) {
    return {L"error",
            L"\u25C6message\u25C6\r\n" + kCopyFailed + L"\r\n\n\u25C6error\u25C6\r\n" +
                SystemText(error),
            true};
}

std::wstring CopyFailedReport(DWORD error) {
    return ErrorReport(407, L"source files\\norvane\\norvane",
                       kCopyFailed + L"\n" + SystemText(error));
}

// Nothing of the run is left: no destination it was to make, no file of the tool's own.
void ExpectNotCopied(ScenarioRun& run, const ToolCase& tool, const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
        run.True(Narrow(tool.Destination(entry)), !Exists(tool.Destination(entry)),
                 "made although the run was undone");
    }
    ExpectCopied(run, tool, {});
}

}  // namespace

E2E_SCENARIO(copy_package_complete) {
    // A whole run: the files of a per-user and a per-machine product written byte for byte with
    // the normal attributes (the copy of a read-only source too), missing folders made on the
    // way, a read-only hidden file there replaced; the dialog at the end; Exit opening
    // "Report.txt"; nothing on the debugger output.
    Case(run, L"two products", [&](ToolCase& tool) {
        tool.WritePackage(
            {{L"A", PerUser, {{L"Prog.exe", 1000000}, {L"lib\\x\\y\\deep.bin", 200000}}},
             {L"B", PerMachine, {{L"Data.dat", 34000}, {L"readonly.dat", 567}}}});
        const std::wstring protectedFile = tool.folder + L"install\\B\\Data.dat";
        WriteBytes(protectedFile, std::string(50000, 'o'));
        SetFileAttributesW(protectedFile.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesW((tool.root + L"B\\readonly.dat").c_str(), FILE_ATTRIBUTE_READONLY);
        HWND dialog = tool.StartToMainDialog();
        Click(dialog, IDC_START);
        tool.AwaitRunEnd(dialog);
        run.Equal("after the run",
                  EndView(kComplete, tool.folder + L"install\\B\\", L"readonly", L"1,234,567",
                          L"1,234,567", L"100 %", 100),
                  View(dialog));
        ExpectCopied(run, tool, tool.entries);
        tool.Exit(dialog, {tool.root + L"Report.txt"});
    });
}

E2E_SCENARIO(copy_stops_at_failure) {
    // The second of two entries fails as its copy is made beside its destination (a file has the
    // name of a folder it needs), after the first entry's copy was made: the run stops with a
    // box (while it shows, the run is still "Copying …" and Exit disabled) and undoes itself:
    // the first entry is not there, the file already where the folder must go stays as it was,
    // attributes included, no file of the tool's is left, and Exit opens "Report.txt". The
    // sources, open since the preparation proved them readable, could not be deleted meanwhile.
    Case(run, L"a file where a folder must be", [&](ToolCase& tool) {
        tool.WritePackage({{L"A", PerUser, {{L"first.bin", 1000}}},
                           {L"B", PerMachine, {{L"Data\\file.bin", 2000}}}});
        const std::wstring kept = tool.folder + L"install\\B\\Data";
        WriteBytes(kept, "a file already there");
        SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        const DWORD keptAttributes = GetFileAttributesW(kept.c_str());
        HWND dialog = tool.StartToMainDialog();
        const std::wstring source = tool.root + L"B\\Data\\file.bin";
        run.True(Narrow(source), !DeleteFileW(source.c_str()), "deleted after the preparation");
        Click(dialog, IDC_START);
        const MessageBoxView box = tool.ExpectBox(
            "copy failure", {L"File transfer error", L"Failed to make directory."}, dialog);
        const auto view = [&](const std::wstring& status) {
            return EndView(status, tool.folder + L"install\\B\\", L"file", L"3,000", L"1,000",
                           L" 33 %", 33);
        };
        run.Equal("while the failure box shows", view(L"Copying \u2026"), View(dialog));
        tool.Answer(box);
        tool.AwaitRunEnd(dialog);
        run.Equal("after the failure", view(kStopped), View(dialog));
        ExpectFile(run, kept, "a file already there", keptAttributes);
        ExpectNotCopied(run, tool, {tool.entries[0]});
        // The folder that could not be made, with the system's code, for whoever traces it.
        tool.Exit(
            dialog, {tool.root + L"Report.txt"},
            ErrorReport(401, L"source files\\norvane\\norvane",
                        L"Failed to make directory. " + tool.folder +
                            L"install\\B\\Data\\ (error " + std::to_wstring(ERROR_ALREADY_EXISTS) +
                            L")\n" + SystemText(ERROR_ALREADY_EXISTS)));
    });
}

E2E_SCENARIO(copy_file_in_use) {
    // A running program of the product holds a changed file of the second product: before
    // anything is written a box names it, with Cancel, Try Again and Continue. Cancel leaves
    // every destination as it was; Try Again once the program is closed completes the update.
    struct Row {
        const wchar_t* name;
        int answer;
    };
    const Row rows[] = {{L"Cancel", IDCANCEL},
                        {L"Try Again once the program is closed", IDTRYAGAIN}};
    for (const Row& row : rows) {
        Case(run, row.name, [&](ToolCase& tool) {
            tool.WritePackage({{L"A", PerUser, {{L"first.bin", 1000}, {L"changed.bin", 300}}},
                               {L"B", PerMachine, {{L"held.dll", 2000}}}});
            const std::wstring changed = tool.Destination(tool.entries[1]);
            const std::wstring held = tool.Destination(tool.entries[2]);
            WriteBytes(changed, "the old version");
            WriteBytes(held, "the old library");
            // As the system holds a running program's file.
            UniqueFile holder(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
            HWND dialog = tool.StartToMainDialog();
            Click(dialog, IDC_START);
            const MessageBoxView box = tool.ExpectBox(
                "files in use",
                {L"Files in use",
                 L"Programs are using files that the update replaces:\r\n\r\n" + held +
                     L"\r\n    in use by another program\r\n\r\nClose these programs, then "
                     L"choose Try Again. Continue replaces these files when Windows restarts. "
                     L"Cancel stops the update and changes nothing.",
                 true},
                dialog);
            if (row.answer == IDTRYAGAIN) holder.reset();
            tool.Answer(box, row.answer);
            tool.AwaitRunEnd(dialog);
            if (row.answer == IDCANCEL) {
                run.Equal("status", kStopped, ControlText(dialog, IDC_STATUS));
                ExpectFile(run, changed, "the old version", GetFileAttributesW(changed.c_str()));
                ExpectFile(run, held, "the old library", GetFileAttributesW(held.c_str()));
                ExpectNotCopied(run, tool, {tool.entries[0]});
            } else {
                run.Equal("status", kComplete, ControlText(dialog, IDC_STATUS));
                ExpectCopied(run, tool, tool.entries);
            }
            tool.Exit(dialog, {tool.root + L"Report.txt"});
        });
    }
}

E2E_SCENARIO(copy_refuses_links) {
    // A folder below INSTALLDIR that is a link (made from the Linux side by the test's fixture:
    // C:\norvane-e2e-links\install\Data points at ..\elsewhere): the run is refused before
    // anything is written, and what the link points at stays as it was.
    Case(run, L"a folder on the way is a link", [&](ToolCase& tool) {
        const std::wstring links = L"C:\\norvane-e2e-links\\";
        if (!Exists(links + L"install\\Data")) run.Abort("fixture", "the link is missing");
        tool.WritePackage({{L"L",
                            PerUser,
                            {{L"Data\\x.dat", 100}, {L"y.dat", 10}},
                            L"0",
                            L"m",
                            links + L"install\\"}});
        HWND dialog = tool.StartToMainDialog();
        Click(dialog, IDC_START);
        tool.Answer(tool.ExpectBox(
            "refusal",
            {L"File transfer error",
             links + L"install\\Data is a link; the update does not write through links.\r\n\r\n"
                     L"The installation was left as it was."},
            dialog));
        tool.AwaitRunEnd(dialog);
        run.Equal("status", kStopped, ControlText(dialog, IDC_STATUS));
        run.True("the link's target", ReadBytes(links + L"elsewhere\\x.dat") == "target",
                 "it changed");
        run.True("the other file", !Exists(links + L"install\\y.dat"), "it was written");
        std::wstring names;
        for (const auto& entry : std::filesystem::directory_iterator(links + L"elsewhere"))
            names += entry.path().filename().wstring() + L" ";
        run.Equal("what the link points at", L"x.dat ", names);
        tool.Exit(dialog, {tool.root + L"Report.txt"});
    });
}

E2E_SCENARIO(copy_slash_in_a_file_line) {
    // "/" separates as "\\" does: the folder is made and the file goes into it.
    Case(run, L"a slash in the name", [&](ToolCase& tool) {
        tool.WritePackage({{L"A", PerUser, {{L"Data/x.dat", 300}}}});
        HWND dialog = tool.StartToMainDialog();
        Click(dialog, IDC_START);
        tool.AwaitRunEnd(dialog);
        run.Equal("status", kComplete, ControlText(dialog, IDC_STATUS));
        ExpectCopied(run, tool, tool.entries);
        run.True("the folder",
                 (GetFileAttributesW((tool.folder + L"install\\A\\Data").c_str()) &
                  FILE_ATTRIBUTE_DIRECTORY) != 0,
                 "Data is no folder");
        tool.Exit(dialog, {tool.root + L"Report.txt"});
    });
}

E2E_SCENARIO(copy_name_windows_refuses) {
    // A name Windows keeps for a device is refused once Start is pressed, before anything is
    // written: the file listed before it is not copied either.
    Case(run, L"a device's name", [&](ToolCase& tool) {
        tool.WritePackage({{L"A", PerUser, {{L"One.dat", 300}, {L"NUL.txt", 0}}}});
        HWND dialog = tool.StartToMainDialog();
        Click(dialog, IDC_START);
        tool.Answer(tool.ExpectBox(
            "refusal",
            {L"File transfer error",
             L"The name \"NUL.txt\" of the list cannot be written on Windows: \"NUL.txt\" names "
             L"the device NUL, which Windows keeps for the device whatever the extension.\r\n\r\n"
             L"The installation was left as it was."},
            dialog));
        tool.AwaitRunEnd(dialog);
        run.Equal("status", kStopped, ControlText(dialog, IDC_STATUS));
        run.True("One.dat", !Exists(tool.Destination(tool.entries[0])), "it was written");
        tool.Exit(dialog, {tool.root + L"Report.txt"});
    });
}

E2E_SCENARIO(copy_install_dir_expandable) {
    // An INSTALLDIR written as an expandable string names the folder its reference stands for.
    Case(run, L"REG_EXPAND_SZ", [&](ToolCase& tool) {
        tool.WritePackage({{L"B", PerMachineExpandable, {{L"lib.dll", 500}}}});
        HWND dialog = tool.StartToMainDialog();
        Click(dialog, IDC_START);
        tool.AwaitRunEnd(dialog);
        run.Equal("status", kComplete, ControlText(dialog, IDC_STATUS));
        ExpectCopied(run, tool, tool.entries);
        tool.Exit(dialog, {tool.root + L"Report.txt"});
    });
}

E2E_SCENARIO(copy_close_during_copy) {
    // A close request right after Start, while 64 MiB are copied, is refused: the run goes on to
    // its end with the dialog open, then the same request closes it; no file is lost or left
    // half-made, nothing is opened, and the tool ends with 0.
    Case(run, L"WM_CLOSE", [&](ToolCase& tool) {
        tool.WritePackage({{L"A", PerUser, {{L"big1.bin", 32 << 20}, {L"big2.bin", 32 << 20}}}});
        HWND dialog = tool.StartToMainDialog();
        Click(dialog, IDC_START);
        // Posted after Start's click, so the dialog meets it right after creating the worker.
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        tool.AwaitRunEnd(dialog, 30000);
        run.Equal("after the run",
                  EndView(kComplete, tool.folder + L"install\\A\\", L"big2", L"67,108,864",
                          L"67,108,864", L"100 %", 100),
                  View(dialog));
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        tool.ExpectEnd({});
        ExpectCopied(run, tool, tool.entries);
    });
}

E2E_SCENARIO(copy_destination_path_length) {
    // No copy writes a destination path of 260 units or more: the run stops with the system's
    // text for a name too long, before any folder is made. A short name in a long folder, 255
    // units in all, is copied over the file there, although its temporary's path is longer.
    struct Row {
        const wchar_t* name;
        std::wstring file;
        size_t units;
    };
    const Row rows[] = {
        {L"destination of 300 units", L"sub\\" + std::wstring(60, L'n') + L".dll", 300},
        {L"destination of 255 units, short name", L"a.dll", 255},
    };
    for (const Row& row : rows) {
        Case(run, row.name, [&](ToolCase& tool) {
            const size_t installUnits = row.units - row.file.size();
            std::wstring install = tool.folder + L"install\\";
            while (install.size() + 52 < installUnits) install += std::wstring(50, L'f') + L"\\";
            install += std::wstring(installUnits - install.size() - 1, L'g') + L"\\";
            const bool fits = row.units < 260;
            tool.WritePackage({{L"L", PerUser, {{row.file, 3}}, L"0", L"m", install}});
            if (fits) WriteBytes(tool.Destination(tool.entries[0]), "old");
            HWND dialog = tool.StartToMainDialog();
            Click(dialog, IDC_START);
            if (!fits) {
                tool.Answer(tool.ExpectBox("copy failure",
                                           CopyFailedBox(ERROR_FILENAME_EXCED_RANGE), nullptr));
            }
            tool.AwaitRunEnd(dialog);
            run.Equal("status", fits ? kComplete : kStopped, ControlText(dialog, IDC_STATUS));
            if (fits) ExpectCopied(run, tool, tool.entries);
            run.True("install folder made", Exists(tool.folder + L"install") == fits,
                     fits ? "it is missing" : "it exists");
            tool.Exit(dialog, {tool.root + L"Report.txt"},
                      fits ? L"" : CopyFailedReport(ERROR_FILENAME_EXCED_RANGE));
        });
    }
}

E2E_SCENARIO(copy_over_an_installation) {
    // Over files already there: a file line of any name copies, those named as the tool's own
    // side files included; a destination that a program holds for a moment ends copied; and a
    // file that already holds the new bytes is left alone while a program holds it as a loaded
    // library is held, where writing it would be refused.
    struct Row {
        const wchar_t* name;
        std::vector<Listed> files;
        // What a program does to the first file's destination, from before Start; the handle
        // stays open for `holdMs` after Start (0: to the end of the case).
        DWORD access, share, holdMs;
        bool sameBytes;  // the first destination already holds the source's bytes
    };
    // clang-format off
    const Row rows[] = {
        {L"file lines named as the tool's side files",
         {{L"~norvane.copy.tmp", 700}, {L"a.dll", 300}, {L"a.dll~norvane.new", 200},
          {L"a.dll~norvane.old", 100}},
         0, 0, 0, false},
        {L"destination held without sharing for 0.8 s", {{L"held.dll", 900}, {L"next.dll", 10}},
         GENERIC_READ, 0, 800, false},
        {L"unchanged file held as a loaded library", {{L"loaded.dll", 900}, {L"next.dll", 10}},
         GENERIC_READ, FILE_SHARE_READ, 0, true},
    };
    // clang-format on
    for (const Row& row : rows) {
        Case(run, row.name, [&](ToolCase& tool) {
            tool.WritePackage({{L"A", PerUser, row.files}});
            for (const Entry& entry : tool.entries) {
                WriteBytes(tool.Destination(entry), "a file already there");
            }
            if (row.sameBytes) {
                WriteBytes(tool.Destination(tool.entries[0]), ToolCase::Contents(tool.entries[0]));
            }
            UniqueFile held;
            if (row.access != 0) {
                held.reset(CreateFileW(tool.Destination(tool.entries[0]).c_str(), row.access,
                                       row.share, nullptr, OPEN_EXISTING, 0, nullptr));
            }
            HWND dialog = tool.StartToMainDialog();
            Click(dialog, IDC_START);
            if (row.holdMs != 0) {
                Sleep(row.holdMs);
                held.reset();
            }
            tool.AwaitRunEnd(dialog);
            run.Equal("status", kComplete, ControlText(dialog, IDC_STATUS));
            held.reset();
            ExpectCopied(run, tool, tool.entries);
            tool.Exit(dialog, {tool.root + L"Report.txt"});
        });
    }
}
