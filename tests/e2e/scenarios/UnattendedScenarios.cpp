// Unattended runs as deployment engines start them: no click awaited, the outcome in the exit
// code and in a log. (Which argument means what is the command line's unit table.)
#include "harness/ToolCase.h"
#include "platform/win32/SingleInstance.h"
// After windows.h:
#include <sddl.h>

#include "support/FileLinks.h"

namespace {
// The log's lines after their time stamps, one a line, as text.
std::wstring LogLines(const std::wstring& path) {
    const std::string bytes = ReadBytes(path).value_or("");
    std::wstring lines;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        lines += Widen(bytes.substr(start + std::min<size_t>(25, end - start),
                                    end - start - std::min<size_t>(25, end - start))) +
                 L"\n";
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
        Keys keys;      // of the one product
        bool listed;    // whether the package has its Update.up
        Marker marker;
        DWORD exitCode;
        std::vector<std::wstring> logLines;  // {install} stands for the product's folder
        const wchar_t* action = L"1";
    };
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
          L"end: 2 of 2 files (2 new, 0 replaced, 0 unchanged), 1,200 of 1,200 bytes; "
          L"Copy complete!; exit code 0"}},
        {L"quiet run with the required product missing",
         L" -QUIET",
         NoKey,
         true,
         NoMarker,
         1603,
         {L"box not shown (unattended run): Not installed",
          L"end: nothing copied; exit code 1603"}},
        {L"quiet run where no section applies", L" /quiet", NoKey, true, NoMarker, 1605,
         {L"box not shown (unattended run): There is no file to copy.",
          L"end: nothing copied; exit code 1605"},
         L"0"},
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
    for (const Row& row : rows) {
        if (row.marker == GlobalMarkerMadeFirst && SystemHasPrivateNamespaces()) continue;
        Case(run, row.name, [&](ToolCase& tool) {
            const Product product{
                L"A", row.keys, {{L"one.dat", 1000}, {L"two.dat", 200}}, row.action, L"Not installed"};
            tool.WritePackage({product});
            if (!row.listed) DeleteFileW((tool.root + L"Update.up").c_str());
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
        tool.ExpectEnd({}, L"", 87);
        run.Equal("the other file", L"not the tool's", Widen(ReadBytes(other).value_or("")));
        run.True("nothing copied", !Exists(tool.Destination(tool.entries[0])), "one.dat copied");
    });
}
