#pragma once
#include <windows.h>

#include "app/WString.h"

// Copies source to destination; ERROR_SUCCESS, or the system's code of the failing step. An
// existing destination is never left half written or changed: one that another program holds
// is found before anything is copied; the bytes go to a temporary file beside it, which replaces
// it only once the copy succeeded, keeping its security; and on any failure it stays as it was,
// its attributes included, and no temporary file stays. A new destination is copied to
// directly. The copied file ends with the normal attribute.
DWORD CopyReplacing(const WString& source, const WString& destination,
                    LPPROGRESS_ROUTINE progress, void* progressData) noexcept;
