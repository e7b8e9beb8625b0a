#include "check/DryRun.h"

#include <algorithm>
#include <memory>

#include "app/AppState.h"
#include "check/ListLint.h"
#include "check/NearNames.h"
#include "check/RegistryKeyRules.h"
#include "check/ValueText.h"
#include "norvane/BuildCopyList.h"
#include "norvane/FileMatch.h"
#include "norvane/LinkOnTheWay.h"
#include "norvane/ListKeywords.h"
#include "norvane/SectionCondition.h"
#include "norvane/SectionOutcomeText.h"
#include "paths/ComposePath.h"
#include "paths/InstallDir.h"
#include "paths/RootFolder.h"
#include "paths/WindowsNames.h"
#include "text/CTextLine.h"
#include "text/Tokenizer.h"

namespace {
// Stands for the main dialog that owns the tool's message boxes.
const WindowHandle kMainDialog = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x108));
constexpr size_t kPathLengthLimit = kPathUnits;

Finding MessageFinding(const CheckServices::ShownMessage& box) {
    if (box.owner == nullptr) {
        return {box.line, Severity::Note, u"the system's message: " + WithoutLineEnd(box.text),
                true};
    }
    if (!box.caption) {
        return {box.line, Severity::Error, u"the tool stops with the message " + Quoted(box.text)};
    }
    return {box.line, Severity::Error,
            u"the tool stops with the message box " + Quoted(*box.caption) + u": " + box.text,
            true};
}

// What became of each section, told from the registry lookups the tool made while reading it.
class SectionOutcomes {
public:
    SectionOutcomes(const std::vector<CheckServices::Lookup>& lookups,
                    const std::function<WString(const WString&)>& showPath)
        : lookups_(lookups), showPath_(showPath) {}

    // What the tool made of each section it read; the first section it did not read because an
    // applying action-2 section ended the reading.
    Findings Of(const ListOutline& outline, uint32_t endLine) {
        Findings notes;
        for (size_t i = 0; i < outline.size(); ++i) {
            const SectionOutline& section = outline[i];
            const auto found = FoundLookup(section.keyLine);
            if (!found) {
                if (section.headerLine == endLine && i > 0 &&
                    outline[i - 1].action == kActionLastIfApplies) {
                    notes.push_back({section.headerLine, Severity::Note,
                                     u"not read, nor any section after it: the section at line " +
                                         DecimalText(outline[i - 1].headerLine) +
                                         u" applies with action 2"});
                }
                continue;
            }
            notes.push_back({section.headerLine, Severity::Note,
                             Describe(section, **found) + Refusals(section.keyLine)});
        }
        return notes;
    }

private:
    // The lookup that decided the section, when the tool read its registry line: the first
    // one that found a usable value, else the last one made.
    std::optional<const CheckServices::Lookup*> FoundLookup(uint32_t keyLine) const {
        const CheckServices::Lookup* last = nullptr;
        for (const auto& lookup : lookups_) {
            if (lookup.line != keyLine || keyLine == 0) continue;
            if (lookup.value && InstallDirRefusal(*lookup.value).empty()) return &lookup;
            last = &lookup;
        }
        if (last == nullptr) return std::nullopt;
        return last;
    }

    // The values of the line's lookups that the tool takes as missing, and why.
    WString Refusals(uint32_t keyLine) const {
        WString text;
        for (const auto& lookup : lookups_) {
            if (lookup.line != keyLine || keyLine == 0 || !lookup.value) continue;
            const WString why = InstallDirRefusal(*lookup.value);
            if (why.empty()) break;
            const WString where = lookup.fromCommandLine
                                      ? WString(u"from --installdir")
                                      : u"under " + WString(RegistryRootName(lookup.root));
            text += InstallDirRefusedText(where, why);
        }
        return text;
    }

    WString Describe(const SectionOutline& section, const CheckServices::Lookup& lookup) {
        if (!lookup.value || !InstallDirRefusal(*lookup.value).empty()) {
            if (!System().HasRegistry()) {
                return SectionNoInstallDirText(
                    section.key, u": this system has no registry, so only --installdir answers");
            }
            return SectionNoInstallDirText(
                section.key, kInstallDirNowhereText + WString(u", nor from --installdir"));
        }
        // The destination exactly as the tool composes it from the value.
        auto scratch = std::make_unique<AppState>();
        ResolveInstallDir(*scratch, section.key, lookup.root);
        const WString destination(ComposePath(*scratch, 0));
        const WString from =
            lookup.fromCommandLine ? WString(u"--installdir") : RegistryRootName(lookup.root);
        if (!ConditionHolds(destination, section.condition)) {
            return SectionConditionFailsText(section.condition, showPath_(destination), from) +
                   MissingNames(destination, section.condition);
        }
        return SectionAppliesText(showPath_(destination), from);
    }

    // The condition's names that are not in the folder, each with the names there closest to it.
    static WString MissingNames(const WString& destination, const WString& condition) {
        Tokenizer pieces(condition, u",");
        pieces.Next();
        WString text;
        for (WString name = pieces.Next(); !name.empty(); name = pieces.Next()) {
            if (!IsFileMissing(destination, name)) continue;
            const size_t slash = name.find_last_of(u"\\/");
            const size_t leaf = slash == WString::npos ? 0 : slash + 1;
            const std::vector<WString> closest =
                ClosestNamesIn(destination + name.substr(0, leaf), name.substr(leaf));
            text += u"; " + Quoted(name) + u" is not there";
            for (size_t i = 0; i < closest.size(); ++i) {
                text += (i == 0 ? u", the closest there: " : u", ") +
                        Quoted(name.substr(0, leaf) + closest[i]);
            }
        }
        return text;
    }

    std::vector<CheckServices::Lookup> lookups_;
    const std::function<WString(const WString&)>& showPath_;
};

bool AnsweredByAnInstallDir(const CheckServices& services, const WString& key) {
    for (const CheckServices::InstallDir& installDir : services.InstallDirs()) {
        if (SameRegistryKey(installDir.key, key)) return true;
    }
    return false;
}

// An --installdir whose key no section has: most likely the list's key or the option is misspelt,
// and the section it was meant for is read without it. The key it meant is the closest one that
// no other --installdir answers, on its own line.
void UnusedInstallDirs(const CheckServices& services, const ListOutline& outline,
                       Findings& findings) {
    for (const CheckServices::InstallDir& installDir : services.InstallDirs()) {
        const SectionOutline* closest = nullptr;
        size_t distance = 0;
        bool used = false;
        for (const SectionOutline& section : outline) {
            used = used || SameRegistryKey(section.key, installDir.key);
            if (section.keyLine == 0 || AnsweredByAnInstallDir(services, section.key)) continue;
            const size_t here = EditDistance(section.key, installDir.key);
            if (closest == nullptr || here < distance) {
                closest = &section;
                distance = here;
            }
        }
        if (used) continue;
        WString text = u"--installdir " + Quoted(installDir.key) + u" answers no section";
        if (closest != nullptr) {
            text += u": the closest registry key is this line's " + Quoted(closest->key) +
                    u" (a misspelt key?)";
        }
        findings.push_back({closest != nullptr ? closest->keyLine : 1, Severity::Warning, text});
    }
}

Finding CaseNote(const CheckServices::CaseMatch& match,
                 const std::function<WString(const WString&)>& showPath) {
    return {match.line, Severity::Note,
            Quoted(showPath(match.written)) + u" is there only as " +
                Quoted(showPath(match.found)) +
                u": Windows, whose file names ignore letter case, will find it; this system does "
                u"not"};
}

void PlanCopies(const AppState& state, const CheckServices& services,
                const std::function<WString(const WString&)>& showPath, DryRunResult& result) {
    std::vector<uint8_t> buffer;
    for (size_t i = 0; i < state.CopyList.size(); ++i) {
        const CopyEntry& entry = state.CopyList[i];
        const uint32_t line = i < services.probeLines.size() ? services.probeLines[i] : 0;
        // As Windows names them: without the blanks and dots at the end.
        const WString source = AsWindowsOpens(entry.sourceFolder + entry.fileName);
        const WString destination = AsWindowsOpens(entry.destFolder + entry.fileName);
        const bool exists = !IsFileMissing(destination, WString());
        // Compared as the tool compares it: a file already in place is left as it is.
        const bool unchanged = exists && MatchFiles(source, destination, buffer) == FileMatch::Same;
        result.plan.push_back({line, source, destination, exists && !unchanged, unchanged});
        // Each of these stops the copy before it writes anything, at the first such line.
        const size_t found = result.findings.size();
        if (const std::optional<NameFault> fault = WindowsNameFault(entry.fileName)) {
            result.findings.push_back(
                {line, Severity::Error, RefusedFileNameText(entry.fileName, *fault)});
        } else if (destination.size() >= kPathLengthLimit) {
            result.findings.push_back({line, Severity::Error,
                                       u"the destination path is " +
                                           DecimalText(destination.size()) +
                                           u" characters long: its copy would fail (paths of " +
                                           DecimalText(kPathLengthLimit) + u" or more): " +
                                           Quoted(showPath(destination))});
        } else if (const std::optional<WString> link =
                       LinkOnTheWay(entry.destFolder, destination)) {
            result.findings.push_back(
                {line, Severity::Error, u"the tool stops: " + LinkRefusalText(showPath(*link))});
        } else if (exists && System().IsDirectory(destination)) {
            result.findings.push_back({line, Severity::Error,
                                       u"the destination is a folder: its copy would fail: " +
                                           Quoted(showPath(destination))});
        }
        if (result.stopsAt == 0 && result.findings.size() > found) result.stopsAt = line;
    }
    result.totalBytes = state.totalBytes;
}
}  // namespace

DryRunResult DryRun(const std::string& bytes, CheckServices& services, const ListOutline& outline,
                    const std::function<WString(const WString&)>& showPath) {
    DryRunResult result;
    auto state = std::make_unique<AppState>();
    // As start-up settles the tool's folder and reads the launch line.
    ResolveModuleFolder(*state);
    state->rootFolder = ComposePath(*state, 0);
    CTextLine text;
    if (!text.SetText(bytes.data(), static_cast<uint32_t>(bytes.size()))) return result;
    text.NextItem();

    // Only what the preparation itself does counts, not what the lint looked at before.
    services.shown.clear();
    services.lookups.clear();
    services.probeLines.clear();
    services.caseMatches.clear();
    services.FollowCursor(&text);
    result.prepared = BuildCopyList(*state, text, kMainDialog);
    services.FollowCursor(nullptr);
    const uint32_t endLine = text.LineIndex() + 1;

    for (const auto& box : services.shown) result.findings.push_back(MessageFinding(box));
    // The sources' other letter case is the check's to tell; the dry run tells the machine's.
    for (const auto& match : services.caseMatches) {
        if (match.written.compare(0, state->rootFolder.size(), state->rootFolder) != 0)
            result.findings.push_back(CaseNote(match, showPath));
    }
    UnusedInstallDirs(services, outline, result.findings);
    if (result.prepared) PlanCopies(*state, services, showPath, result);
    Findings notes = SectionOutcomes(services.lookups, showPath).Of(outline, endLine);
    result.findings.insert(result.findings.end(), notes.begin(), notes.end());
    for (Finding& finding : result.findings) finding.text = WithInvisibleShown(finding.text);
    result.findings = InLineOrder(std::move(result.findings));
    return result;
}

Findings Merged(const Findings& check, const Findings& run) {
    Findings findings = check;
    for (const Finding& finding : run) {
        const bool named =
            finding.retold && std::any_of(check.begin(), check.end(), [&](const Finding& earlier) {
                return earlier.line == finding.line && earlier.severity == Severity::Error;
            });
        if (!named) findings.push_back(finding);
    }
    return InLineOrder(std::move(findings));
}

Findings InLineOrder(Findings findings) {
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    Findings once;
    for (Finding& finding : findings) {
        const bool told = std::any_of(once.begin(), once.end(), [&](const Finding& earlier) {
            return earlier.line == finding.line && earlier.text == finding.text;
        });
        if (!told) once.push_back(std::move(finding));
    }
    return once;
}
