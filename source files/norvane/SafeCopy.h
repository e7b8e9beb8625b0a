#pragma once
#include <windows.h>

#include <cstdint>

#include "app/WString.h"

struct SafeCopyResult {
    DWORD error = ERROR_SUCCESS;  // the system's code of the failing step
    uint64_t size = 0;            // bytes of the copied file
};

// Copies source to destination. An existing destination is never left half written or changed:
// one that another program holds is found before anything is copied; the bytes go to a temporary
// file beside it, which replaces it only once the copy succeeded, keeping its security; and on
// any failure it stays as it was, its attributes included, and no temporary file stays. A new
// destination is copied to directly and taken away again when its copy fails. The copied file
// ends with the normal attribute.
SafeCopyResult CopyReplacing(const WString& source, const WString& destination,
                             LPPROGRESS_ROUTINE progress, void* progressData) noexcept;
