#include "norvane/ListSection.h"

#include <optional>

#include "reporting/Notice.h"

#include "norvane/DecimalReading.h"
#include "norvane/ListKeywords.h"
#include "norvane/ListMessages.h"
#include "norvane/SectionCondition.h"
#include "norvane/SectionNotes.h"
#include "paths/ComposePath.h"
#include "paths/InstallDir.h"
#include "text/CTextLine.h"

namespace {
// A section cut short by the end of the file is not noticed here: the cursor stays on the last
// line, its remaining items (normally none) are read instead, and the source line then fails.
WString ReadParameterLine(CTextLine& text) {
    text.NextLine();
    text.NextItem();
    return WString(text.ItemText());
}

const WChar* RootName(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? u"HKEY_CURRENT_USER" : u"HKEY_LOCAL_MACHINE";
}

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
            lookup.refusals += WString(u"; INSTALLDIR under ") + RootName(root) + u" " + refusal +
                               u": taken as missing";
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
    const WString from = RootName(root.value_or(RegistryRoot::LocalMachine));
    if (!root) {
        // The view read is named: a value only in the 64-bit view is the usual reason.
        what = SectionNoInstallDirText(key, u" under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE, 32-bit view");
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

    const uint32_t headerLine = text.LineIndex() + 1;
    const WString key = ReadParameterLine(text);
    const InstallDirLookup lookup = LookUpInstallDir(state, key);
    section.applies = lookup.root.has_value();
    if (section.applies) section.destFolder = WString(ComposePath(state, 0));

    const WString condition = ReadParameterLine(text);
    if (section.applies) section.applies = ConditionHolds(section.destFolder, condition);

    // Compared as the 8-bit value the list's action has always been kept in, so 257 acts as 1.
    section.action = static_cast<uint8_t>(ReadDecimal(ReadParameterLine(text)));
    LogSection(headerLine, key, lookup, section, condition);

    const WString message = ReadParameterLine(text);
    if (section.action == kActionStopUnlessApplies && !section.applies) {
        ShowListMessage(state, message);
        return SectionOutcome::Failed;
    }

    const WString source = ReadParameterLine(text);
    if (source.find(kRootMarker) == WString::npos) {
        ShowListMessage(state, kDirectoryNotValidText);
        return SectionOutcome::Failed;
    }
    // The first seven characters go whatever they are: the line is meant to begin with the marker.
    section.sourceFolder = state.rootFolder + source.substr(kRootMarkerLength);
    return SectionOutcome::Read;
}
