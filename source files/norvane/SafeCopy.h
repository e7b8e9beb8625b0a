#pragma once
#include <windows.h>

#include <cstdint>

#include "app/WString.h"

struct SafeCopyResult {
    DWORD error = ERROR_SUCCESS;  // the system's code of the failing step
    uint64_t size = 0;            // bytes of the copied file
};

// Copies source over destination without ever leaving the destination half written: the bytes
// go to a temporary file beside the destination, which replaces the destination only once the
// copy succeeded. On failure the old destination stays as it was and no temporary file stays.
SafeCopyResult CopyReplacing(const WString& source, const WString& destination,
                             LPPROGRESS_ROUTINE progress, void* progressData) noexcept;
