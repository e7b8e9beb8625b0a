#pragma once
// The words for what became of a list section, the same in the tool's log and in norvane-check's
// dry run, so that an administrator can set a machine's log beside a dry run line by line.
#include "base/WString.h"
#include "platform/SystemServices.h"

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
const WChar* RegistryRootName(RegistryRoot root);

// Where the tool looks for INSTALLDIR, as a missing value is told: the view is named, since a
// value only in the 64-bit view is the usual reason.
extern const WChar kInstallDirNowhereText[];  // " under HKEY_CURRENT_USER or ..., 32-bit view"

// `from` names where INSTALLDIR was found: "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", ...
WString SectionAppliesText(const WString& destination, const WString& from);
WString SectionConditionFailsText(const WString& condition, const WString& destination,
                                  const WString& from);
// `nowhere` follows the key: where no value was found (" under ...").
WString SectionNoInstallDirText(const WString& key, const WString& nowhere);
// A value of INSTALLDIR that names no folder, after the section's text: `where` it was
// ("under HKEY_CURRENT_USER", ...), and `why` InstallDirRefusal's words.
WString InstallDirRefusedText(const WString& where, const WString& why);
