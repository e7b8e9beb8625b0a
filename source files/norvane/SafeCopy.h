#pragma once
#include <windows.h>

#include <cstdint>

#include "app/WString.h"

struct SafeCopyResult {
    DWORD error = ERROR_SUCCESS;  // the system's code of the failing step
    uint64_t size = 0;            // bytes of the copied file
};

// Copies source over destination without ever leaving the destination half written or changed:
// a destination that another program holds is found before anything is copied; the bytes go to
// a temporary file beside the destination, which replaces it only once the copy succeeded; and
// on any failure the old destination stays as it was, its attributes included, and no temporary
// file stays. A replaced destination keeps its security; the copied file ends with the normal
// attribute.
SafeCopyResult CopyReplacing(const WString& source, const WString& destination,
                             LPPROGRESS_ROUTINE progress, void* progressData) noexcept;
