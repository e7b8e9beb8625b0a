#include "norvane/SectionOutcomeText.h"

const WChar kInstallDirNowhereText[] =
    u" under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE, 32-bit view";

const WChar* RegistryRootName(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? u"HKEY_CURRENT_USER" : u"HKEY_LOCAL_MACHINE";
}

WString SectionAppliesText(const WString& destination, const WString& from) {
    return u"the section applies: its files go to " + Quoted(destination) + u" (INSTALLDIR from " +
           from + u")";
}

WString SectionConditionFailsText(const WString& condition, const WString& destination,
                                  const WString& from) {
    return u"the section does not apply: its condition " + Quoted(condition) + u" fails in " +
           Quoted(destination) + u" (INSTALLDIR from " + from + u")";
}

WString SectionNoInstallDirText(const WString& key, const WString& nowhere) {
    return u"the section does not apply: no INSTALLDIR for " + Quoted(key) + nowhere;
}

WString InstallDirRefusedText(const WString& where, const WString& why) {
    return u"; INSTALLDIR " + where + u" " + why + u": taken as missing";
}
