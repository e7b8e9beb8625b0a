#pragma once
// What became of a list section, in the same words in the tool's log and in norvane-check's dry
// run, so that an administrator can set a machine's log beside a dry run line by line.
#include "base/WString.h"

// `from` names where INSTALLDIR was found: "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", ...
WString SectionAppliesText(const WString& destination, const WString& from);
WString SectionConditionFailsText(const WString& condition, const WString& destination,
                                  const WString& from);
// `nowhere` follows the key: where no value was found (" under ...").
WString SectionNoInstallDirText(const WString& key, const WString& nowhere);

// Text in double quotes.
WString Quoted(const WString& text);
