#pragma once
// A list's registry key as the tool will read it: a key below the hive, which the tool adds
// itself (HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE), in the 32-bit view, with the value
// INSTALLDIR read from the key itself.
#include <vector>

#include "base/WString.h"
#include "check/Finding.h"

// What keeps the tool from finding the key the author meant.
std::vector<LineTrap> RegistryKeyTraps(const WString& key);

// Two keys the registry takes for the same one: letter case aside, and a backslash at the end.
bool SameRegistryKey(const WString& a, const WString& b);
