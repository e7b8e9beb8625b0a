#pragma once
// The list file's first content line names a document under the root folder that start-up
// opens with the shell: the text after the first "]" up to the next "]" or the end.
#include <optional>

#include "base/WString.h"

// `ansiItem` is the launch line's first item in the ANSI code page (null when empty);
// `ansiComplete` says whether that form holds the whole item. Returns the path to open, or
// nothing when the item names no document, cannot be read in full, or makes a path of 260
// units or more.
std::optional<WString> LaunchTarget(const WString& rootFolder, const char* ansiItem,
                                    bool ansiComplete);
