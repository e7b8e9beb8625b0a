// Unattended runs as deployment engines start them: no click awaited, the outcome in the exit
// code and in a log. (Which argument means what is the command line's unit table.)
#include "harness/ToolCase.h"
#include "platform/win32/SingleInstance.h"
// After windows.h:
#include <sddl.h>

#include "support/FileLinks.h"

namespace {
// The log's lines after their time stamps and process ids, one a line, as text.
std::wstring LogLines(const std::wstring& path) {
    const std::string bytes = ReadBytes(path).value_or("");
    std::wstring lines;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        const size_t tag = bytes.find("]  ", start);
        const size_t text = tag != std::string::npos && tag < end ? tag + 3 : start;
        lines += Widen(bytes.substr(text, end - text)) + L"\n";
        start = end + 2;
    }
    return lines;
}

void ExpectLogHas(ScenarioRun& run, const std::wstring& log, const std::wstring& line) {
    run.True("the log has " + Visible(line), log.find(line) != std::wstring::npos,
             "the log is " + Visible(log));
}
}  // namespace

E2E_SCENARIO(unattended_runs) {
    // What holds the names of the single-instance marker when the tool starts: another instance
    // (it took the marker as the tool does), a user who made the plain mutexes of the marker's
    // name first, in the session's namespace and in the global one, to stop every later run, or,
    // where the system has no private namespaces (Wine), the tool's global marker made first
    // under an owner that no tool has.
    enum Marker { NoMarker, AnotherInstance, PlainNamesMadeFirst, GlobalMarkerMadeFirst };
    struct Row {
        const wchar_t* name;
        std::wstring switches;
        Keys keys;    // of the one product
        bool listed;  // whether the package has its Update.up
        Marker marker;
        DWORD exitCode;
        std::vector<std::wstring> logLines;  // {install} stands for the product's folder
        const wchar_t* action = L"1";
        bool utf16 = false;  // the list saved as UTF-16, with its signature
    };
    // clang-format off
    const Row rows[] = {
        {L"quiet run copies with no window",
         L" /quiet",
         PerUser,
         true,
         NoMarker,
         0,
         {L"Update.up:2: the section applies: its files go to \"{install}\" (INSTALLDIR from "
          L"HKEY_CURRENT_USER); action 1",
          L"-> {install}one.dat: new, 1,000 bytes",
          L"end: 2 of 2 files (2 new, 0 replaced, 0 unchanged, 0 at the next restart), 1,200 of "
          L"1,200 bytes; Copy complete!; exit code 0"}},
        {L"quiet run with the required product missing",
         L" -QUIET",
         NoKey,
         true,
         NoMarker,
         1603,
         {L"box not shown (unattended run): Not installed",
          L"end: nothing copied; exit code 1603"}},
        {L"quiet run where no section applies",
         L" /quiet",
         NoKey,
         true,
         NoMarker,
         1605,
         {L"box not shown (unattended run): There is no file to copy.",
          L"end: nothing copied; exit code 1605"},
         L"0"},
        {L"quiet run of a list saved as UTF-16 fails (1603, never 1605)",
         L" /quiet",
         PerUser,
         true,
         NoMarker,
         1603,
         {L"box not shown (unattended run) \"Text data read error.\": 'Update.up' is saved as "
          L"UTF-16 (Unicode): the tool reads ANSI text only. Save it as ANSI text (in Notepad: "
          L"Save As, Encoding ANSI).",
          L"end: nothing copied; exit code 1603"},
         L"1",
         true},
        {L"quiet run with another instance running",
         L" /quiet",
         PerUser,
         true,
         AnotherInstance,
         1618,
         {L"box not shown (unattended run) \"error\": Already running. ERROR_ALREADY_EXISTS",
          L"end: nothing copied; exit code 1618"}},
        {L"quiet run after a user made the marker's plain names",
         L" /quiet",
         PerUser,
         true,
         PlainNamesMadeFirst,
         0,
         {L"Copy complete!; exit code 0"}},
        {L"quiet run where the marker cannot be made",
         L" /quiet",
         PerUser,
         true,
         GlobalMarkerMadeFirst,
         1603,
         {L"the single-instance marker cannot be made: error 1307",
          L"box not shown (unattended run) \"error\": Already running",
          L"end: nothing copied; exit code 1603"}},
        {L"an unknown switch refused before the list is read",
         L" /quiet /quite",
         PerUser,
         false,
         NoMarker,
         87,
         {L"the command line is refused: The command line cannot be read at \"/quite\": This "
          L"argument is not known.",
          L"end: nothing copied; exit code 87"}},
        {L"passive run completes by itself",
         L" /passive",
         PerMachine,
         true,
         NoMarker,
         0,
         {L"Copy complete!; exit code 0"}},
    };
    // clang-format on
    for (const Row& row : rows) {
        if (row.marker == GlobalMarkerMadeFirst && SystemHasPrivateNamespaces()) continue;
        Case(run, row.name, [&](ToolCase& tool) {
            const Product product{L"A",
                                  row.keys,
                                  {{L"one.dat", 1000}, {L"two.dat", 200}},
                                  row.action,
                                  L"Not installed"};
            tool.WritePackage({product});
            if (!row.listed) DeleteFileW((tool.root + L"Update.up").c_str());
            if (row.utf16) {
                const std::wstring text = Widen(*ReadBytes(tool.root + L"Update.up"), CP_ACP);
                WriteBytes(tool.root + L"Update.up",
                           "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()),
                                                    text.size() * sizeof(wchar_t)));
            }
            const std::wstring log = tool.folder + L"logs with spaces\\run.log";
            MakeFolders(FolderOf(log));
            tool.arguments = row.switches + L" /log \"" + log + L"\"";
            SingleInstance other;
            if (row.marker == AnotherInstance && other.Claim() != InstanceClaim::Owned)
                run.Abort("setup", "the marker is taken: a leftover instance may be running");
            UniqueHandle sessionName, globalName;
            if (row.marker == PlainNamesMadeFirst) {
                sessionName.reset(CreateMutexW(nullptr, TRUE, L"__Norvane_Class__"));
                globalName.reset(CreateMutexW(nullptr, TRUE, L"Global\\__Norvane_Class__"));
            }
            if (row.marker == GlobalMarkerMadeFirst) {
                PSECURITY_DESCRIPTOR everyones = nullptr;
                ConvertStringSecurityDescriptorToSecurityDescriptorW(
                    L"O:WDD:P(A;;GA;;;WD)", SDDL_REVISION_1, &everyones, nullptr);
                const UniqueLocal owner(everyones);
                SECURITY_ATTRIBUTES security{sizeof security, everyones, FALSE};
                globalName.reset(CreateMutexW(&security, TRUE, kNorvaneMarker.globalMarker));
            }
            tool.Start();
            const bool passive = row.switches == L" /passive";
            const bool shown = tool.ShowsAWindowUntilItEnds();
            run.True("a window of the tool shown", shown == passive,
                     passive ? "the progress never showed" : "a window showed");
            std::wstring debug;
            if (row.marker == AnotherInstance)
                debug = ErrorReport(28, L"source files\\winmain",
                                    L"Already running. ERROR_ALREADY_EXISTS \n");
            if (row.marker == GlobalMarkerMadeFirst)
                debug = ErrorReport(23, L"source files\\winmain", L"Already running\n");
            tool.ExpectEnd({}, debug, row.exitCode);
            const std::wstring lines = LogLines(log);
            ExpectLogHas(run, lines, L"==== Norvane ");
            for (std::wstring line : row.logLines) {
                const size_t at = line.find(L"{install}");
                if (at != std::wstring::npos) line.replace(at, 9, tool.Install(product));
                const size_t again = line.find(L"{install}");
                if (again != std::wstring::npos) line.replace(again, 9, tool.Install(product));
                ExpectLogHas(run, lines, line);
            }
            const bool copied = row.exitCode == 0;
            for (const ToolCase::Entry& entry : tool.entries) {
                run.True(Narrow(tool.Destination(entry)), Exists(tool.Destination(entry)) == copied,
                         copied ? "not copied" : "copied although the run failed");
            }
        });
    }
}

E2E_SCENARIO(unattended_file_in_use) {
    // /quiet with a changed file of the second product held for good: the first product is
    // updated, the held file waits for the restart (3010), and the system's renames at the
    // restart put it in place.
    Case(run, L"held for good", [&](ToolCase& tool) {
        const Product a{L"A", PerUser, {{L"one.dat", 1000}}};
        const Product b{L"B", PerMachine, {{L"held.dll", 2000}}};
        tool.WritePackage({a, b});
        const std::wstring held = tool.Destination(tool.entries[1]);
        WriteBytes(held, "the old library");
        const std::wstring log = tool.folder + L"run.log";
        tool.arguments = L" /quiet /log \"" + log + L"\"";
        UniqueFile holder(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        tool.Start();
        tool.ExpectEnd({}, L"", 3010);
        const std::wstring lines = LogLines(log);
        ExpectLogHas(run, lines, L"in use, replaced at the next restart: " + held);
        ExpectLogHas(run, lines,
                     L"box not shown (unattended run) \"Norvane\": The update is in place");
        ExpectLogHas(run, lines, L"(1 new, 0 replaced, 0 unchanged, 1 at the next restart)");
        run.True(
            "the first product updated",
            ReadBytes(tool.Destination(tool.entries[0])) == ToolCase::Contents(tool.entries[0]),
            "it was not");
        run.True("the held file as it was", ReadBytes(held) == "the old library", "it changed");
        holder.reset();
        // The system's renames at the next restart.
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::wstring restart = L"wineboot.exe -r";
        if (!CreateProcessW(nullptr, restart.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info)) {
            run.Abort("restart", "wineboot -r did not start");
        }
        WaitForSingleObject(info.hProcess, 60000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        run.True("the held file updated at the restart",
                 ReadBytes(held) == ToolCase::Contents(tool.entries[1]), "it was not");
    });
}

E2E_SCENARIO(unattended_exit_codes) {
    // Codes that deployments count on: a switch of other installers refused with 87 even with the
    // box shown, a log that cannot be made 1622, /norestart taken, and /verify's 0 and 1.
    const Product product{L"A", PerUser, {{L"one.dat", 1000}, {L"two.dat", 200}}};
    Case(run, L"a switch of other installers", [&](ToolCase& tool) {
        tool.WritePackage({product});
        tool.arguments = L" /silent";
        tool.Start();
        const HWND box = tool.AwaitDialog("the refusal", [](HWND window) {
            return IsMessageBox(window) && IsWindowVisible(window);
        });
        const std::wstring text = ControlText(box, kTextControl);
        const std::wstring refusal =
            L"The command line cannot be read at \"/silent\": This argument is not known.";
        run.Equal("the refusal", refusal, text.substr(0, refusal.size()));
        tool.Answer({WindowText(box), text, true, box, nullptr});
        tool.ExpectEnd({}, L"", 87);
        run.True("nothing copied", !Exists(tool.Destination(tool.entries[0])), "a file was copied");
    });
    Case(run, L"a log that cannot be made", [&](ToolCase& tool) {
        tool.WritePackage({product});
        tool.arguments = L" /quiet /log \"" + tool.folder + L"no such folder\\run.log\"";
        tool.Start();
        tool.ExpectEnd({}, L"", 1622);
        run.True("nothing copied", !Exists(tool.Destination(tool.entries[0])), "a file was copied");
    });
    Case(run, L"norestart and verify", [&](ToolCase& tool) {
        tool.WritePackage({product});
        const std::wstring log = tool.folder + L"run.log";
        tool.arguments = L" /norestart /quiet /log \"" + log + L"\"";
        tool.Start();
        tool.ExpectEnd({}, L"", 0);
        tool.Rerun(L" /verify /quiet /log \"" + log + L"\"");
        tool.ExpectEnd({}, L"", 0);
        ExpectLogHas(run, LogLines(log), L"The update is in place: all 2 files match.");
        const std::wstring changed = tool.Destination(tool.entries[1]);
        WriteBytes(changed, "changed by hand");
        tool.Rerun(L" /verify /quiet /log \"" + log + L"\"");
        tool.ExpectEnd({}, L"", 1);
        ExpectLogHas(run, LogLines(log), L"verify " + changed + L": differs");
        run.True("nothing written", ReadBytes(changed) == "changed by hand", "it was");
    });
}

E2E_SCENARIO(unattended_log_is_a_link) {
    // A log name that someone made a link to another file is refused as a log that cannot be
    // made: the run ends before the list is read, and the other file stays as it was. (Which
    // files a log may be is the log's unit table; this is the real exe's road.)
    Case(run, L"a link to another file", [&](ToolCase& tool) {
        tool.WritePackage({{L"A", PerUser, {{L"one.dat", 10}}}});
        const std::wstring other = tool.folder + L"other.txt", log = tool.folder + L"run.log";
        WriteBytes(other, "not the tool's");
        if (!MakeFileSymlink(other, log)) throw ScenarioSkipped{"no symbolic link here"};
        struct Unlinked {  // before the case folder goes, while the link's target is there
            std::wstring link;
            ~Unlinked() { RemoveFileSymlink(link); }
        } unlinked{log};
        tool.arguments = L" /quiet /log \"" + log + L"\"";
        tool.Start();
        tool.ExpectEnd({}, L"", 1622);
        run.Equal("the other file", L"not the tool's", Widen(ReadBytes(other).value_or("")));
        run.True("nothing copied", !Exists(tool.Destination(tool.entries[0])), "one.dat copied");
    });
}
