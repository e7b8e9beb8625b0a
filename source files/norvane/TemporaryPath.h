#pragma once
// Where a copy goes before it replaces its destination: a temporary file beside the destination,
// so the final rename stays on one volume.
#include "app/WString.h"

extern const WChar kTemporaryName[];  // "~norvane.copy.tmp"

// The temporary for a destination path. It is usable wherever the destination is: a destination
// that fits the system's path limit must never fail for want of room for the temporary's name,
// so where the plain temporary path would pass that limit, its "\\?\" form is used, which has
// none.
WString TemporaryPathFor(const WString& destination);
