#pragma once
// Names a slip of the pen away from each other: a misspelt header, the registry key an
// --installdir meant, the file in a folder that a condition meant. Letter case aside.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/WString.h"

// Edits (insert, delete, replace) from one text to the other, letter case aside.
size_t EditDistance(const WString& from, const WString& to);

// The candidates nearest to `name` (at most three, the nearest first), leaving out those too far
// from it to be a slip of the pen.
std::vector<WString> ClosestNames(const WString& name, const std::vector<WString>& candidates);

// The names in `folder` (as the system lists it) closest to `name`, as ClosestNames picks them,
// leaving out entries with any of the `skipped` attributes; none where the folder cannot be read.
std::vector<WString> ClosestNamesIn(const WString& folder, const WString& name,
                                    uint32_t skipped = 0);

// A line read as a file line that its author most likely meant as a section header: another
// case, blanks around it, or a letter or two off ("[SetParameter]").
bool IsNearMissHeader(const WString& item);
