#pragma once
// Virus scanners and the search indexer open a freshly written or replaced file for a moment,
// often without sharing it. A step of a file's copy that such a holder refuses is tried again
// after growing pauses, for about two seconds, before its failure counts; an answer that waiting
// cannot change (a full disk, a missing source) counts at once. The pauses and the clock are the
// system's services, so a test runs the waits without sleeping.
#include <cstdint>

// A sharing violation, a lock violation or access denied; and a replacement that such a holder
// stopped halfway (the replacement step puts its files back as they were before it answers).
bool IsBriefHold(uint32_t code);

// Held by a program in a way that keeps the file from being replaced now: a sharing or a lock
// violation (what lasts beyond the wait is a program that holds it for good).
bool IsHoldCode(uint32_t code);

class BriefHoldWait {
public:
    BriefHoldWait();

    // After a step answered `code`: pauses and returns true when the step is to be tried again.
    bool Again(uint32_t code);

private:
    uint64_t start_;
    uint32_t nextPauseMs_;
};
