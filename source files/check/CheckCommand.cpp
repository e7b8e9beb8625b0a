#include "check/CheckCommand.h"

#include <memory>
#include <optional>

#include "check/CheckOptions.h"
#include "check/CheckServices.h"
#include "check/DryRun.h"
#include "check/ListLint.h"
#include "check/ReadWholeFile.h"
#include "norvane/FormatByteCount.h"
#include "norvane_version.h"
#include "paths/ComposePath.h"
#include "paths/RootFolder.h"

namespace {
constexpr int kClean = 0;
constexpr int kWarnings = 1;
constexpr int kErrors = 2;

const WChar kHelp[] =
    u"usage: norvane-check [--dry-run] [--installdir KEY=FOLDER]... PACKAGE_FOLDER\n"
    u"\n"
    u"Reads PACKAGE_FOLDER/Update.up as Norvane does and prints one finding a line:\n"
    u"  PATH:LINE: error: TEXT     Norvane would stop, copy nothing, or fail to copy\n"
    u"  PATH:LINE: warning: TEXT   Norvane would silently do something else than meant, or\n"
    u"                             Norvane.exe is not beside the list\n"
    u"  PATH:LINE: note: TEXT      for information: what Norvane makes of a section (dry run),\n"
    u"                             a name found only in other letter case\n"
    u"\n"
    u"  --dry-run               also find each section's INSTALLDIR, apply the conditions and\n"
    u"                          actions, and print the copies Norvane would make; writes nothing\n"
    u"  --installdir KEY=FOLDER the INSTALLDIR of the registry key KEY is FOLDER, a folder of\n"
    u"                          this system (before the registry, which only Windows has); may\n"
    u"                          be repeated\n"
    u"  --help, --version\n"
    u"\n"
    u"Exit status: 0 no finding (notes do not count), 1 warnings only, 2 any error.\n";

// The version and the commit the checker was built from, as the release's README names them.
WString Version() {
    return NORVANE_VERSION_TEXT u" (commit " NORVANE_COMMIT_TEXT u")";
}

void WriteOut(const WString& text) {
    System().WriteStandard(StandardStream::Output, text);
}

void Refuse(const WString& why) {
    System().WriteStandard(StandardStream::Error, u"norvane-check: " + why + u"\n");
}

// One finding on one line: the message boxes' line breaks become blanks.
WString OneLine(const WString& text) {
    WString line;
    bool breaking = false;
    for (WChar unit : text) {
        if (unit == u'\n' || unit == u'\r') {
            breaking = true;
            continue;
        }
        if (breaking && (line.empty() || line.back() != u' ')) line += u' ';
        breaking = false;
        line += unit;
    }
    return line;
}

WString SeverityName(Severity severity) {
    switch (severity) {
        case Severity::Note: return u"note";
        case Severity::Warning: return u"warning";
        case Severity::Error: return u"error";
    }
    return WString();
}

// The list's path as the author named the folder, so an editor can open it; `list` is the list's
// own name, "Update.up" in any letter case.
WString ListPath(const WString& folder, const WString& list) {
    const bool separated = !folder.empty() && (folder.back() == u'/' || folder.back() == u'\\');
#ifdef _WIN32
    return folder + (separated ? u"" : u"\\") + list;
#else
    return folder + (separated ? u"" : u"/") + list;
#endif
}

class Report {
public:
    explicit Report(WString listPath) : listPath_(std::move(listPath)) {}

    void Print(const Findings& findings) {
        for (const Finding& finding : findings) {
            if (finding.severity == Severity::Error) status_ = kErrors;
            if (finding.severity == Severity::Warning && status_ == kClean) status_ = kWarnings;
            WriteOut(listPath_ + u":" + DecimalText(finding.line) + u": " +
                     SeverityName(finding.severity) + u": " + OneLine(finding.text) + u"\n");
        }
    }

    void PrintPlan(const DryRunResult& run) {
        if (!run.prepared) {
            WriteOut(u"nothing is copied: the tool stops during its preparation\n");
            status_ = kErrors;
            return;
        }
        size_t written = 0;
        for (const PlannedCopy& copy : run.plan) {
            if (!copy.unchanged) ++written;
            WriteOut(u"copy " + System().HostForm(copy.source) + u" -> " +
                     System().HostForm(copy.destination) +
                     (copy.replaces ? u" (replaces the existing file)" : u"") +
                     (copy.unchanged ? u" (unchanged)" : u"") + u"\n");
        }
        const size_t count = run.plan.size();
        const WString writes = run.stopsAt != 0
                                   ? u"nothing is written: the tool stops at line " +
                                         DecimalText(run.stopsAt) + u" before it changes anything"
                                   : DecimalText(static_cast<int64_t>(written)) + u" to write";
        WriteOut(DecimalText(static_cast<int64_t>(count)) +
                 (count == 1 ? u" file, " : u" files, ") + FormatByteCount(run.totalBytes) +
                 u" bytes; " + writes + u"\n");
    }

    int Status() const { return status_; }

private:
    WString listPath_;
    int status_ = kClean;
};

std::optional<std::vector<CheckServices::InstallDir>> InstallDirs(const CheckOptions& options) {
    std::vector<CheckServices::InstallDir> installDirs;
    for (const InstallDirOption& option : options.installDirs) {
        const Answer<WString> folder = System().WindowsFolder(option.folder);
        if (folder.error != 0) {
            Refuse(u"--installdir " + option.key + u": no such folder: " + option.folder);
            return std::nullopt;
        }
        installDirs.push_back({option.key, folder.value});
    }
    return installDirs;
}

int Check(const CheckOptions& options) {
    const Answer<WString> folder = System().WindowsFolder(options.packageFolder);
    if (folder.error != 0) {
        Refuse(u"no such folder: " + options.packageFolder);
        return kErrors;
    }
    const WString& package = folder.value;
    const std::optional<WString> list = ListFileIn(package);
    const WString listPath =
        ListPath(options.packageFolder, list ? list->substr(package.size() + 1) : u"Update.up");
    const std::optional<std::string> bytes = list ? ReadWholeFile(*list) : std::nullopt;
    if (!bytes) {
        Refuse(u"cannot read " + listPath);
        return kErrors;
    }
    const auto installDirs = InstallDirs(options);
    if (!installDirs) return kErrors;

    CheckServices services(NativeSystem(), package, *installDirs);
    ScopedSystemOverride inPlace(services);
    auto state = std::make_unique<AppState>();
    ResolveModuleFolder(*state);
    const WString rootFolder(ComposePath(*state, 0));

    Report report(listPath);
    const LintResult lint = LintList(*bytes, rootFolder);
    if (!options.dryRun) {
        report.Print(lint.findings);
        return report.Status();
    }
    const DryRunResult run = DryRun(*bytes, services, lint.outline,
                                    [](const WString& path) { return System().HostForm(path); });
    report.Print(Merged(lint.findings, run.findings));
    report.PrintPlan(run);
    return report.Status();
}
}  // namespace

int RunCheck(const std::vector<WString>& arguments) {
    const ParsedOptions parsed = ParseCheckOptions(arguments);
    if (!parsed.ok) {
        Refuse(parsed.error);
        return kErrors;
    }
    if (parsed.options.help) {
        WriteOut(kHelp);
        return kClean;
    }
    if (parsed.options.version) {
        WriteOut(u"norvane-check " + Version() + u"\n");
        return kClean;
    }
    return Check(parsed.options);
}
