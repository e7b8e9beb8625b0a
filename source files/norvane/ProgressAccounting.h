#pragma once
// The running count of a copy run and what the main dialog shows for it, apart from the window
// calls, so the progress routine of the system's copy stays a thin shell around it.
#include <cstdint>

#include "app/AppState.h"
#include "base/WString.h"

struct ProgressView {
    WString bytesText;     // bytes transferred so far, grouped
    uint32_t barPosition;  // for the progress bar, whose range is 0 to 100
    WString percentText;   // e.g. "  7 %"
};

// copied / total * 100 in double precision, truncated; 0 when that is not finite or does not
// fit in 64 bits (a total of 0 among them).
uint64_t PercentOf(uint64_t copied, uint64_t total);

// The low 32 bits of the percentage as a signed number, right-aligned in three places, then " %".
WString FormatPercent(uint64_t percent);

// What the dialog shows for a count of bytes copied out of a total.
ProgressView ProgressViewOf(uint64_t copied, uint64_t total);

// One report of the system's copy routine: `totalBytesTransferred` is its running count for the
// current file. Adds what is new since the last report of that file to the run's count, and
// records the count for the display.
void AccountProgress(AppState& state, uint64_t totalBytesTransferred);

// After a file has been copied: accounts whatever of its size the copy routine has not reported,
// so the run's count reaches the total even when the routine was never called.
void AccountFileCompleted(AppState& state, uint64_t fileSize);
