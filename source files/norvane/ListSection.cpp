#include "norvane/ListSection.h"

#include <optional>

#include "reporting/Notice.h"

#include "norvane/ListKeywords.h"
#include "norvane/ListMessages.h"
#include "norvane/SectionCondition.h"
#include "norvane/SectionOutcomeText.h"
#include "norvane/SectionReader.h"
#include "paths/ComposePath.h"
#include "paths/InstallDir.h"
#include "text/CTextLine.h"

namespace {

struct InstallDirLookup {
    std::optional<RegistryRoot> root;  // where the value was found, if anywhere
    WString refusals;                  // values that were there but name no folder, and why
};

// Per user first, then per machine.
InstallDirLookup LookUpInstallDir(AppState& state, const WString& key) {
    InstallDirLookup lookup;
    for (RegistryRoot root : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
        WString refusal;
        if (ResolveInstallDir(state, key, root, &refusal)) {
            lookup.root = root;
            break;
        }
        if (!refusal.empty()) {
            lookup.refusals +=
                InstallDirRefusedText(WString(u"under ") + RegistryRootName(root), refusal);
        }
    }
    return lookup;
}

// What became of the section, in the log of a run that keeps one.
void LogSection(uint32_t headerLine, const WString& key, const InstallDirLookup& lookup,
                const SectionState& section, const WString& condition) {
    RunLog& log = CurrentRun().log;
    if (!log.IsOpen()) return;
    WString what;
    const std::optional<RegistryRoot> root = lookup.root;
    const WString from = RegistryRootName(root.value_or(RegistryRoot::LocalMachine));
    if (!root) {
        what = SectionNoInstallDirText(key, kInstallDirNowhereText);
    } else if (!section.applies) {
        what = SectionConditionFailsText(condition, section.destFolder, from);
    } else {
        what = SectionAppliesText(section.destFolder, from);
    }
    log.Write(u"Update.up:" + DecimalText(headerLine) + u": " + what + lookup.refusals +
              u"; action " + DecimalText(section.action));
}
}  // namespace

SectionOutcome ReadSection(AppState& state, CTextLine& text, SectionState& section) {
    if (section.action == kActionLastIfApplies && section.applies) return SectionOutcome::EndOfList;

    SectionReader lines(text);
    const WString key = lines.Next().value;
    const InstallDirLookup lookup = LookUpInstallDir(state, key);
    section.applies = lookup.root.has_value();
    if (section.applies) section.destFolder = WString(ComposePath(state, 0));

    const WString condition = lines.Next().value;
    if (section.applies) section.applies = ConditionHolds(section.destFolder, condition);

    section.action = SectionAction(lines.Next().value);
    LogSection(lines.HeaderLine(), key, lookup, section, condition);

    const WString message = lines.Next().value;
    if (section.action == kActionStopUnlessApplies && !section.applies) {
        ShowListMessage(state, message);
        return SectionOutcome::Failed;
    }

    const std::optional<WString> sourceFolder =
        SectionSourceFolder(state.rootFolder, lines.Next().value);
    if (!sourceFolder) {
        ShowListMessage(state, kDirectoryNotValidText);
        return SectionOutcome::Failed;
    }
    section.sourceFolder = *sourceFolder;
    return SectionOutcome::Read;
}
