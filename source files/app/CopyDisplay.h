#pragma once
// What the main dialog shows of a running copy: the destination folder, the file and the bytes
// so far. The worker records the values as it goes and never waits for the display; the
// dialog's thread shows the newest values on its own time (a few times a second, and exactly
// when the worker asks before a message box and at the end). A call from the worker into the
// dialog's thread costs more than copying a small file, so only the record is shared.
#include <cstdint>
#include <mutex>

#include "base/WString.h"

class CopyDisplay {
public:
    struct View {
        WString destFolder;
        WString fileName;  // as shown: without folder and extension
        uint64_t copiedBytes = 0;
        uint64_t version = 0;  // changes with every recorded value
    };

    // The worker's side.
    void ShowEntry(const WString& destFolder, const WString& fileName);
    void ShowCopiedBytes(uint64_t copiedBytes);

    // The dialog's side: replaces `view` by the newest values and returns true, or returns false
    // when nothing was recorded since `view` was taken.
    bool TakeNewer(View& view) const;

private:
    mutable std::mutex mutex_;
    View current_;
};
