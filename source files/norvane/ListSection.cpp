#include "norvane/ListSection.h"

#include "norvane/DecimalReading.h"
#include "norvane/ListKeywords.h"
#include "norvane/ListMessages.h"
#include "norvane/SectionCondition.h"
#include "paths/PathServices.h"
#include "text/CTextLine.h"

namespace {
// A section cut short by the end of the file is not noticed here: the cursor stays on the last
// line, its remaining items (normally none) are read instead, and the source line then fails.
WString ReadParameterLine(CTextLine& text) {
    text.NextLine();
    text.NextItem();
    return WString(text.ItemText());
}

bool LookUpInstallDir(AppState& state, const WString& key) {
    return ResolveInstallDir(state, key, RegistryRoot::CurrentUser) ||
           ResolveInstallDir(state, key, RegistryRoot::LocalMachine);
}
}  // namespace

SectionOutcome ReadSection(AppState& state, CTextLine& text, SectionState& section) {
    if (section.action == kActionLastIfApplies && section.applies) return SectionOutcome::EndOfList;

    const WString key = ReadParameterLine(text);
    section.applies = LookUpInstallDir(state, key);
    if (section.applies) section.destFolder = WString(ComposePath(state, 0));

    const WString condition = ReadParameterLine(text);
    if (section.applies) section.applies = ConditionHolds(section.destFolder, condition);

    // Compared as the 8-bit value the list's action has always been kept in, so 257 acts as 1.
    section.action = static_cast<uint8_t>(ReadDecimal(ReadParameterLine(text)));

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
