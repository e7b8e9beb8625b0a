#pragma once
// The tool runs elevated and writes into product folders, which standard users can often write
// too: a link they planted below INSTALLDIR (a junction, a symbolic link) would send the update's
// writes, renames and deletes anywhere. INSTALLDIR itself may be a link (products moved to
// another drive are), but nothing below it on the way to a destination, nor the destination.
#include <optional>

#include "base/WString.h"

// The first link on the way from `installDir` (ending in a separator) down to `path`, `path`
// itself included; nullopt when there is none. Names that do not exist yet end the look.
std::optional<WString> LinkOnTheWay(const WString& installDir, const WString& path);

// "PATH is a link; the update does not write through links."
WString LinkRefusalText(const WString& link);
