#pragma once
// Whether a destination already holds its source's bytes, as the copy, /verify and the dry run
// all decide it: the bytes decide, read to the end of both, never the size or the time alone.
#include <cstdint>
#include <vector>

#include "base/WString.h"

enum class FileMatch {
    Same,     // the destination holds the source's bytes
    Differs,  // other bytes (or a folder where the file goes, or a file that cannot be read)
    Missing,  // nothing at the destination
};

// `buffer` is reused from call to call.
FileMatch MatchFiles(const WString& source, const WString& destination,
                     std::vector<uint8_t>& buffer);
