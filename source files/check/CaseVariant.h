#pragma once
// Where file names are case-sensitive (Linux), a path the tool would find on Windows in other
// letter case.
#include <optional>

#include "base/WString.h"
#include "platform/SystemServices.h"

// The Windows-form path as it exists in other letter case, when it does not exist as written;
// nullopt when it exists as written or not at all, and always on Windows, which finds a name
// whatever its case. `system` answers the look-ups: the machine's own services, never those that
// already find names whatever their case.
std::optional<WString> CaseVariant(SystemServices& system, const WString& windowsPath);
