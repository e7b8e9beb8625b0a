#include "check/SectionLint.h"

#include "base/CaseFold.h"
#include "check/ValueText.h"
#include "norvane/DecimalReading.h"
#include "norvane/ListKeywords.h"
#include "norvane/SectionReader.h"
#include "text/Tokenizer.h"

namespace {

bool StartsWithHive(const WString& key) {
    const WString start = key.substr(0, 5);
    return SameIgnoringCase(start, u"HKEY_") || SameIgnoringCase(start, u"HKLM\\") ||
           SameIgnoringCase(start, u"HKCU\\");
}

std::vector<WString> KeyTraps(const WString& key) {
    if (!StartsWithHive(key)) return {};
    return {u"the registry key " + Quoted(key) +
            u" names a hive: the tool looks the key up under HKEY_CURRENT_USER, then "
            u"HKEY_LOCAL_MACHINE itself, so write it without the hive"};
}

std::vector<WString> ConditionTraps(const WString& condition) {
    if (condition == kNoCondition) return {};
    std::vector<WString> traps;
    Tokenizer pieces(condition, u",");
    const WString mode = pieces.Next();
    const DecimalReading number = ReadDecimal(mode);
    if (!number.HasDigits()) {
        traps.push_back(u"the condition " + Quoted(condition) + u" is neither " +
                        Quoted(kNoCondition) + u" nor a mode number: the tool reads mode 0");
    }
    // Text after the mode number means a separator other than a comma: the tool splits only at
    // commas, so the names are read as part of the mode and dropped.
    const WString afterNumber = TrimBlanks(mode.substr(number.digitsEnd));
    if (number.HasDigits() && !afterNumber.empty()) {
        traps.push_back(u"the condition " + Quoted(condition) + u" has " + Quoted(afterNumber) +
                        u" right after its mode number: the tool splits a condition only at "
                        u"commas, so it reads mode " +
                        DecimalText(number.value) + u" with no names and the section " +
                        (number.value != 0 ? u"always applies" : u"never applies"));
        return traps;
    }
    bool anyName = false;
    for (WString name = pieces.Next(); !name.empty(); name = pieces.Next()) {
        anyName = true;
        if (IsKeptBlank(name.front()) || IsKeptBlank(name.back())) {
            traps.push_back(u"blank beside a comma: the name " + Quoted(name) +
                            u" is looked for with it");
        }
    }
    if (!anyName && number.value == 0) {
        traps.push_back(u"mode 0 with no names: the section never applies");
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

std::vector<WString> ActionTraps(const WString& action) {
    const DecimalReading reading = ReadDecimal(action);
    if (!reading.HasDigits()) {
        return {u"the action " + Quoted(action) + u" is no number: the tool reads 0 (no action)"};
    }
    const int32_t number = reading.value;
    if (number >= 0 && number <= kActionLastIfApplies) return {};
    // The tool keeps the action in 8 bits: 257 is 1, -1 is 255.
    return {u"the action " + Quoted(action) +
            u" is none of 0, 1 and 2: the tool keeps it in 8 "
            u"bits and it acts as " +
            ActionMeaning(SectionAction(action))};
}

std::vector<WString> SourceTraps(const WString& source) {
    const std::optional<WString> sourceFolder = SectionSourceFolder(WString(), source);
    if (!sourceFolder) return {};  // an error of its own
    std::vector<WString> traps;
    const WString& folder = *sourceFolder;
    if (source.find(kRootMarker) != 0) {
        traps.push_back(u"the source line does not begin with " + Quoted(kRootMarker) +
                        u": the tool drops its first seven characters anyway, leaving the folder " +
                        Quoted(folder));
    }
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') {
        traps.push_back(u"the source folder " + Quoted(folder) +
                        u" does not end in a backslash: names are appended without one, as in " +
                        Quoted(folder + u"Name.dat"));
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

WString BlanksConsequence(ParameterRole role, const WString& value) {
    switch (role) {
        case ParameterRole::Key: return u": the key is looked up with them and not found";
        case ParameterRole::Condition:
            if (TrimBlanks(value) == kNoCondition) {
                return u": it is not " + Quoted(kNoCondition) +
                       u", and the tool reads mode 0 with no names, so the section never applies";
            }
            return u": the last name is looked for with them";
        case ParameterRole::Source: return u": every source path gets them after the folder";
        default: return WString();
    }
}

std::vector<WString> ParameterLineTraps(ParameterRole role, const WString& value) {
    switch (role) {
        case ParameterRole::Key: return KeyTraps(value);
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
