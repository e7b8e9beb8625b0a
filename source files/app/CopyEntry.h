#pragma once
#include <cstdint>
#include <memory>

#include "base/WString.h"

class SystemFile;

// One file to copy. Both full paths are folder + fileName with nothing between them.
struct CopyEntry {
    WString fileName;
    WString sourceFolder;
    WString destFolder;
    uint64_t size = 0;  // the source's size when the list was prepared, as the total counts it
    // The source, open since it was proven readable: no one has written to it, renamed it or
    // removed it since, and the copy reads it from here (none: the copy opens it by its name).
    std::shared_ptr<SystemFile> source;
};

constexpr size_t kMaxCopyEntries = 2048;
