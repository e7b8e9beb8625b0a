#pragma once
// The five parameter lines of a section, and the traps in their values.
#include <cstddef>
#include <optional>
#include <vector>

#include "base/WString.h"
#include "check/ListOutline.h"
#include "check/RegistryKeyRules.h"
#include "norvane/SectionReader.h"

// "registry key", "condition", ...: how findings name the line.
WString ParameterRoleName(ParameterRole role);

// What blanks kept at the end of the value do, as a clause that follows a finding; nullopt where
// they do no harm.
std::optional<WString> BlanksConsequence(ParameterRole role, const WString& value);

// Findings about a value as its author meant it (kept blanks already told apart).
std::vector<LineTrap> ParameterLineTraps(ParameterRole role, const WString& value);

// A bare number on the condition line and a condition on the action line: the two look swapped,
// and the tool reads them in their places.
std::optional<WString> SwappedLinesTrap(const WString& condition, const WString& action);

// A required section (action 1) whose message would show an empty box.
std::optional<WString> BlankMessageTrap(const WString& action, const WString& message);

// A section that lists no file and has no action does nothing.
std::optional<WString> EmptySectionTrap(const SectionOutline& section, size_t files);

// Action 2 stops only the sections after its own: on the last section it stops nothing, while a
// section before it that is not exclusive itself still copies when it applies.
std::optional<WString> LastSectionTrap(const ListOutline& sections);
