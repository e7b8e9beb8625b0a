#include "norvane/SectionNotes.h"

WString Quoted(const WString& text) {
    return u"\"" + text + u"\"";
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
