#pragma once
// The floor of a safe replacement of existing files: for each file, a complete copy of the new
// bytes goes to a temporary beside the old file (CopyFileW), which then takes the old file's
// place in one step (ReplaceFileW, keeping its security descriptor). Any copy that never leaves
// a destination half written does at least this much per file.
#include <cstddef>
#include <functional>
#include <string>

struct FloorTimes {
    double elapsedMs = 0;  // from the first file's copy to the last file's replacement
    size_t files = 0;
};

// Replaces every file under the destination folder with the file of the same relative path
// under the source folder; each destination must exist already. The files are listed (in the
// order of their paths, as a list file names them) before the clock starts, and beforeClock
// runs right before it. Throws std::runtime_error naming the file and the system's code at the
// first failure.
FloorTimes TimeReplaceFloor(const std::wstring& sourceFolder, const std::wstring& destinationFolder,
                            const std::function<void()>& beforeClock);
