#include "norvane/ReplaceStep.h"

#include "norvane/BriefHold.h"
#include "platform/SystemServices.h"

bool PathExists(const WString& path) {
    return System().QueryFile(path).error == 0;
}

uint32_t MoveWaiting(const WString& from, const WString& to) {
    BriefHoldWait wait;
    uint32_t error = System().MoveToNewName(from, to);
    while (wait.Again(error)) error = System().MoveToNewName(from, to);
    return error;
}

uint32_t RemoveWaiting(const WString& path) {
    BriefHoldWait wait;
    uint32_t error = System().RemoveFile(path);
    while (wait.Again(error)) error = System().RemoveFile(path);
    return error;
}

namespace {
// Brings the three names back to a state the run can go on from after a failed swap.
SwapState Settle(const WString& destination, const WString& copy, const WString& backup) {
    // Every answer but 1177 leaves the old file in place; the look makes sure of it.
    if (PathExists(destination)) return SwapState::AsBefore;
    if (PathExists(backup) && MoveWaiting(backup, destination) == 0) return SwapState::AsBefore;
    if (MoveWaiting(copy, destination) == 0) return SwapState::Done;
    return SwapState::Stranded;
}
}  // namespace

SwapResult SwapInCopy(const WString& destination, const WString& copy, const WString& backup) {
    BriefHoldWait wait;
    for (;;) {
        const uint32_t error = System().ReplaceKeepingBackup(destination, copy, backup);
        if (error == 0) return {};
        const SwapState state = Settle(destination, copy, backup);
        if (state == SwapState::AsBefore && wait.Again(error)) continue;
        return {state == SwapState::Done ? 0 : error, state};
    }
}
