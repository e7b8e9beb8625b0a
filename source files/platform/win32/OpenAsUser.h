#pragma once
// The documents the tool opens for the person at the screen (the launch document, "Report.txt")
// open at that person's level, not at the tool's. Opened by the elevated tool itself, the editor
// would run elevated too; after an elevation with an administrator's password typed in for a
// standard user, that user would be left with an elevated editor and its Open dialog. The
// desktop's shell runs as the signed-in user, unelevated: the tool hands it the document.
#include <optional>

#include "base/WString.h"

// Has the desktop's shell open `path` with the verb "open", no parameters, no working folder,
// shown normally. Where the desktop's shell cannot be reached (none running, a run as SYSTEM),
// the tool opens it itself, as it always did, and the answer says so and why; nothing when the
// desktop's shell took it. Call it on a thread that runs no COM apartment of another kind.
std::optional<WString> OpenAsDesktopUser(const WString& path);
