#include "check/RegistryKeyRules.h"

#include "base/CaseFold.h"
#include "paths/InstallDir.h"

namespace {
constexpr WChar kEditorRoot[] = u"computer\\";
constexpr WChar kView32[] = u"wow6432node";
// The hives, by their names, the registry editor's short ones and PowerShell's drives.
constexpr const WChar* kHives[] = {
    u"hkey_current_user",
    u"hkey_local_machine",
    u"hkey_users",
    u"hkey_classes_root",
    u"hkey_current_config",
    u"hkcu",
    u"hklm",
    u"hku",
    u"hkcr",
    u"hkcc",
    u"hkcu:",
    u"hklm:",
};

WString WithoutEndingBackslashes(WString key) {
    while (!key.empty() && key.back() == u'\\') key.pop_back();
    return key;
}

// The parts between backslashes, letter case folded.
std::vector<WString> FoldedParts(const WString& key) {
    std::vector<WString> parts;
    const WString folded = CaseFolded(key);
    size_t start = 0;
    for (size_t end = folded.find(u'\\');; end = folded.find(u'\\', start)) {
        parts.push_back(folded.substr(start, end - start));
        if (end == WString::npos) break;
        start = end + 1;
    }
    return parts;
}

// How many units of the key the hive (and the editor's "Computer\" before it) takes.
size_t HivePrefix(const WString& key) {
    const std::vector<WString> parts = FoldedParts(key);
    size_t at = 0, part = 0;
    if (parts.size() > 1 && parts[0] + u"\\" == kEditorRoot) at = 9, part = 1;
    for (const WChar* hive : kHives) {
        if (part < parts.size() && parts[part] == hive) return at + parts[part].size() + 1;
    }
    return at;
}

WString WriteItAs(const WString& key) {
    return u"; write " + Quoted(key);
}
}  // namespace

std::vector<LineTrap> RegistryKeyTraps(const WString& key) {
    std::vector<LineTrap> traps;
    const size_t hive = HivePrefix(key);
    const WString below = key.substr(std::min(hive, key.size()));
    if (hive > 0) {
        traps.push_back(
            {Severity::Error,
             u"the registry key " + Quoted(key) +
                 u" names a hive: the tool looks the key up under HKEY_CURRENT_USER, then "
                 u"HKEY_LOCAL_MACHINE itself, and finds no key of that name below them" +
                 WriteItAs(below)});
        return traps;
    }
    if (!key.empty() && key[0] == u'\\') {
        const size_t first = key.find_first_not_of(u'\\');
        traps.push_back({Severity::Error,
                         u"the registry key " + Quoted(key) +
                             u" begins with a backslash: the tool finds no key so named" +
                             WriteItAs(first == WString::npos ? WString() : key.substr(first))});
    }
    if (key.find(u'/') != WString::npos) {
        WString meant = key;
        for (WChar& unit : meant) unit = unit == u'/' ? u'\\' : unit;
        traps.push_back({Severity::Error,
                         u"the registry key " + Quoted(key) +
                             u" separates with \"/\": in the registry \"/\" is a character of a "
                             u"key's name, and only \"\\\" separates" +
                             WriteItAs(meant)});
    }
    const std::vector<WString> parts = FoldedParts(WithoutEndingBackslashes(key));
    if (parts.size() > 1 && parts.back() == CaseFolded(kInstallDirValueName)) {
        const WString trimmed = WithoutEndingBackslashes(key);
        traps.push_back({Severity::Error,
                         u"the registry key " + Quoted(key) +
                             u" ends with the value's name: the tool reads the value INSTALLDIR "
                             u"of the key itself" +
                             WriteItAs(trimmed.substr(0, trimmed.rfind(u'\\')))});
    }
    for (const WString& part : parts) {
        if (part != kView32) continue;
        traps.push_back(
            {Severity::Warning,
             u"the registry key " + Quoted(key) +
                 u" names WOW6432Node: the tool is a 32-bit program and reads the 32-bit view "
                 u"itself, which is WOW6432Node under HKEY_LOCAL_MACHINE on 64-bit Windows; "
                 u"HKEY_CURRENT_USER has no such key, so a per-user INSTALLDIR is never found; "
                 u"write the key as a 32-bit installer names it, without WOW6432Node"});
        break;
    }
    return traps;
}

bool SameRegistryKey(const WString& a, const WString& b) {
    return SameIgnoringCase(WithoutEndingBackslashes(a), WithoutEndingBackslashes(b));
}
