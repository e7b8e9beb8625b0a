#include "check/SectionLint.h"

#include "check/ValueText.h"
#include "norvane/DecimalReading.h"
#include "norvane/ListKeywords.h"
#include "norvane/SectionReader.h"
#include "paths/WindowsNames.h"
#include "text/Tokenizer.h"

namespace {

LineTrap Warning(WString text) {
    return {Severity::Warning, std::move(text)};
}

// A name the tool tests in the installation folder, as Windows reads it there.
std::vector<LineTrap> ConditionNameTraps(const WString& name) {
    if (name.find_first_of(u"*?") != WString::npos) {
        return {{Severity::Error,
                 u"the condition's name " + Quoted(name) +
                     u" is a wildcard: the tool looks for a file of exactly that name, which "
                     u"Windows never has, so it is never there"}};
    }
    if (const std::optional<NameFault> fault = WindowsNameFault(name)) {
        return {{Severity::Error, u"the condition's name " + Quoted(name) + u" is never there: " +
                                      WindowsNameFaultText(*fault)}};
    }
    // Windows drops blanks at the end of a name, not at its start.
    if (IsKeptBlank(name.front())) {
        return {
            Warning(u"blank beside a comma: the name " + Quoted(name) + u" is looked for with it")};
    }
    return {};
}

std::vector<LineTrap> ConditionTraps(const WString& condition) {
    if (condition == kNoCondition) return {};
    std::vector<LineTrap> traps;
    Tokenizer pieces(condition, u",");
    const WString mode = pieces.Next();
    const DecimalReading number = ReadDecimal(mode);
    if (!number.HasDigits()) {
        traps.push_back(Warning(u"the condition " + Quoted(condition) + u" is neither " +
                                Quoted(kNoCondition) +
                                u" nor a mode number: the tool reads mode 0"));
    }
    // Text after the mode number means a separator other than a comma: the tool splits only at
    // commas, so the names are read as part of the mode and dropped.
    const WString afterNumber = TrimBlanks(mode.substr(number.digitsEnd));
    if (number.HasDigits() && !afterNumber.empty()) {
        traps.push_back(Warning(u"the condition " + Quoted(condition) + u" has " +
                                Quoted(afterNumber) +
                                u" right after its mode number: the tool splits a condition only "
                                u"at commas, so it reads mode " +
                                DecimalText(number.value) + u" with no names and the section " +
                                (number.value != 0 ? u"always applies" : u"never applies")));
        return traps;
    }
    if (number.value != 0 && number.value != 1) {
        traps.push_back(
            Warning(u"the condition's mode " + DecimalText(number.value) +
                    u" acts as mode 1: every name must be there (mode 0: any of them)"));
    }
    bool anyName = false;
    for (WString name = pieces.Next(); !name.empty(); name = pieces.Next()) {
        anyName = true;
        for (LineTrap& trap : ConditionNameTraps(name)) traps.push_back(std::move(trap));
    }
    if (!anyName && number.value == 0) {
        traps.push_back(Warning(u"mode 0 with no names: the section never applies"));
    }
    return traps;
}

WString ActionMeaning(uint8_t action) {
    switch (action) {
        case kActionStopUnlessApplies: return u"1 (required)";
        case kActionLastIfApplies: return u"2 (exclusive)";
        default: return u"0 (no action)";
    }
}

std::vector<LineTrap> ActionTraps(const WString& action) {
    const DecimalReading reading = ReadDecimal(action);
    if (!reading.HasDigits()) {
        return {Warning(u"the action " + Quoted(action) +
                        u" is no number: the tool reads 0 (no action)")};
    }
    const int32_t number = reading.value;
    if (number >= 0 && number <= kActionLastIfApplies) return {};
    // The tool keeps the action in 8 bits: 257 is 1, -1 is 255.
    return {Warning(u"the action " + Quoted(action) +
                    u" is none of 0, 1 and 2: the tool keeps it in 8 bits and it acts as " +
                    ActionMeaning(SectionAction(action)))};
}

std::vector<LineTrap> SourceTraps(const WString& source) {
    const std::optional<WString> sourceFolder = SectionSourceFolder(WString(), source);
    if (!sourceFolder) return {};  // an error of its own
    std::vector<LineTrap> traps;
    const WString& folder = *sourceFolder;
    if (source.find(kRootMarker) != 0) {
        traps.push_back(Warning(u"the source line does not begin with " + Quoted(kRootMarker) +
                                u": the tool drops its first seven characters anyway, leaving the "
                                u"folder " +
                                Quoted(folder)));
    }
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') {
        traps.push_back(Warning(u"the source folder " + Quoted(folder) +
                                u" does not end in a backslash: names are appended without one, "
                                u"as in " +
                                Quoted(folder + u"Name.dat")));
    }
    return traps;
}
}  // namespace

WString ParameterRoleName(ParameterRole role) {
    switch (role) {
        case ParameterRole::Key: return u"registry key";
        case ParameterRole::Condition: return u"condition";
        case ParameterRole::Action: return u"action";
        case ParameterRole::Message: return u"message";
        case ParameterRole::Source: return u"source folder";
    }
    return WString();
}

std::optional<WString> BlanksConsequence(ParameterRole role, const WString& value) {
    switch (role) {
        case ParameterRole::Key: return WString(u": the key is looked up with them and not found");
        case ParameterRole::Condition:
            // A name's blanks at its end Windows drops itself; "None" is compared as written.
            if (TrimBlanks(value) != kNoCondition) return std::nullopt;
            return u": it is not " + Quoted(kNoCondition) +
                   u", and the tool reads mode 0 with no names, so the section never applies";
        case ParameterRole::Source:
            return WString(u": every source path gets them after the folder");
        default: return std::nullopt;
    }
}

std::vector<LineTrap> ParameterLineTraps(ParameterRole role, const WString& value) {
    switch (role) {
        case ParameterRole::Key: return RegistryKeyTraps(value);
        case ParameterRole::Condition: return ConditionTraps(value);
        case ParameterRole::Action: return ActionTraps(value);
        case ParameterRole::Source: return SourceTraps(value);
        case ParameterRole::Message: return {};
    }
    return {};
}

std::optional<WString> EmptySectionTrap(const SectionOutline& section, size_t files) {
    if (files != 0 || section.action == kActionStopUnlessApplies ||
        section.action == kActionLastIfApplies) {
        return std::nullopt;
    }
    return u"the section lists no file and has no action (action " + DecimalText(section.action) +
           u"): it does nothing; without files a section serves only as a required product's "
           u"check (action 1) or an exclusive product's (action 2)";
}

std::optional<WString> LastSectionTrap(const ListOutline& sections) {
    if (sections.size() < 2 || sections.back().action != kActionLastIfApplies) return std::nullopt;
    for (const SectionOutline& before : sections) {
        if (before.action == kActionLastIfApplies) continue;
        return u"action 2 on the last section stops nothing: no section follows it, and the "
               u"section at line " +
               DecimalText(before.headerLine) +
               u" still copies when it applies (an exclusive product's section comes first)";
    }
    return std::nullopt;
}

std::optional<WString> SwappedLinesTrap(const WString& condition, const WString& action) {
    const DecimalReading mode = ReadDecimal(condition);
    const bool bareNumber =
        mode.HasDigits() && TrimBlanks(condition.substr(mode.digitsEnd)).empty();
    const bool conditionLike = action == kNoCondition || action.find(u',') != WString::npos;
    if (!bareNumber || !conditionLike) return std::nullopt;
    return u"the condition " + Quoted(condition) + u" and the action " + Quoted(action) +
           u" look swapped: the tool reads the condition first, so it reads mode " +
           DecimalText(mode.value) + u" with no names and the action " +
           DecimalText(SectionAction(action)) +
           u", and the section's check of its names is lost; the condition line comes before "
           u"the action line";
}

std::optional<WString> BlankMessageTrap(const WString& action, const WString& message) {
    if (SectionAction(action) != kActionStopUnlessApplies || !TrimBlanks(message).empty())
        return std::nullopt;
    return u"the message of a required section (action 1) is " +
           WString(message.empty() ? u"empty" : u"blank") +
           u": where the product is missing, the tool stops with an empty box";
}
