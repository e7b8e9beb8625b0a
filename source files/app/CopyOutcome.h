#pragma once
// How one file's copy ended. The worker records one for every entry it reaches, in list order;
// the dialog and the tests read them.
#include <cstdint>

#include "app/WString.h"

enum class CopyResult {
    New,        // the destination did not exist and was copied
    Replaced,   // an existing destination was replaced by a complete copy
    Unchanged,  // the destination already held the source's bytes and was left in place
    Failed,     // the system refused a step: `error` says why
};

struct CopyOutcome {
    CopyResult result = CopyResult::Failed;
    uint32_t error = 0;  // the system's code of the failed step
    // A file that a failure had to leave beside an empty destination, because the system refused
    // every way back: the old file, or where the system had already removed that, the new copy.
    // Empty when the destination holds the old file, as after every other failure.
    WString keptAs;
};
