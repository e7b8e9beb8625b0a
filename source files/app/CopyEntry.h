#pragma once
#include <cstdint>

#include "base/WString.h"

// One file to copy. Both full paths are folder + fileName with nothing between them.
struct CopyEntry {
    WString fileName;
    WString sourceFolder;
    WString destFolder;
    uint64_t size = 0;  // the source's size when the list was prepared, as the total counts it
};

constexpr size_t kMaxCopyEntries = 2048;
