#pragma once
// How one file's copy ended. The worker records one for every entry it reaches, in list order;
// the dialog and the tests read them.
#include <cstdint>

#include "base/WString.h"

enum class CopyResult {
    New,        // the destination did not exist and was copied
    Replaced,   // an existing destination was replaced by a complete copy
    Unchanged,  // the destination already held the source's bytes and was left in place
    Failed,     // the system refused a step: `error` says why
    AtRestart,  // held by a program: the system puts the copy in place at the next restart
};

struct CopyOutcome {
    CopyResult result = CopyResult::Failed;
    uint32_t error = 0;  // the system's code of the failed step
};

// How a copy run ended, for its log's last line.
struct RunSummary {
    bool ran = false;        // the copy began (the preparation succeeded)
    bool complete = false;   // every file in place, some perhaps at the next restart
    bool cancelled = false;  // the user chose Cancel when files were in use
    size_t stoppedAt = 0;    // the entry (from 1) at which the run stopped
    size_t notPutBack = 0;   // files the undo could not take back
    bool verified = false;   // /verify compared every file
    size_t notInPlace = 0;   // the files /verify found other or missing
};
