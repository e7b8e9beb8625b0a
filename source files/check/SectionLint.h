#pragma once
// The five parameter lines of a section, and the traps in their values.
#include <vector>

#include "app/WString.h"

enum class ParameterRole { Key, Condition, Action, Message, Source };

// "registry key", "condition", ...: how findings name the line.
WString ParameterRoleName(ParameterRole role);

// What blanks kept at the end of the value do, as a clause that follows a finding.
WString BlanksConsequence(ParameterRole role, const WString& value);

// Findings about a value as its author meant it (kept blanks already told apart).
std::vector<WString> ParameterLineTraps(ParameterRole role, const WString& value);
