#pragma once
#include "app/WString.h"

// One file to copy. Both full paths are folder + fileName with nothing between them.
struct CopyEntry {
    WString fileName;
    WString sourceFolder;
    WString destFolder;
};

constexpr size_t kMaxCopyEntries = 2048;
