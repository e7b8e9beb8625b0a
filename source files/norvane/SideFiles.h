#pragma once
// The files that replacing a destination makes beside it, in its folder so that every rename
// stays on one volume: the complete new copy before it takes the destination's place, and the
// old file while the swap moves it aside. Both are named after the destination, so that a
// leftover of an interrupted run says whose it is:
//     Table.dat~norvane.new   Table.dat~norvane.old   (Table.dat~norvane2.new... when taken)
// A name too long to take the suffix is cut so that the side file's name has the longest length
// a name may have; such a name does not say its owner for certain, and only a run that lists the
// owner recognises it.
#include <optional>

#include "base/WString.h"

enum class SideKind { New, Old };

// The side file's name for a destination's file name; `attempt` counts from 1.
WString SideName(const WString& fileName, SideKind kind, int attempt);

struct SideNameParts {
    WString owner;  // the destination's file name, or its beginning when `cut`
    SideKind kind;
    bool cut = false;  // of the longest length: the owner's name may have been cut to fit
};
// What a name is as a side file's name, nullopt when it is none (letter case aside).
std::optional<SideNameParts> ParseSideName(const WString& name);

// The path of a side file in `folder` (ending in a backslash). Wherever the destination fits the
// system's path limit its side files must work too: where the plain path would pass the limit,
// its "\\?\" form is used, which has none.
WString SidePath(const WString& folder, const WString& sideName);
