#include "norvane/ReplaceStep.h"

#include "norvane/BriefHold.h"
#include "platform/SystemServices.h"

namespace {
enum class Settled {
    AsBefore,    // the destination holds the old file, the copy its own name: the swap may be tried
                 // again
    NewInPlace,  // the destination holds the new copy
    Stranded,    // the destination is empty: the old file or the copy stays under its side name
};

bool Exists(const WString& path) {
    FileFacts facts;
    return System().QueryFile(path, facts) == 0;
}

uint32_t MoveWaiting(const WString& from, const WString& to) {
    BriefHoldWait wait;
    uint32_t error = System().MoveToNewName(from, to);
    while (wait.Again(error)) error = System().MoveToNewName(from, to);
    return error;
}

// Brings the three names back to a state the run can go on from after a failed swap.
Settled Settle(const WString& destination, const WString& copy, const WString& backup) {
    // Every answer but 1177 leaves the old file in place; the look makes sure of it.
    if (Exists(destination)) return Settled::AsBefore;
    if (Exists(backup) && MoveWaiting(backup, destination) == 0) return Settled::AsBefore;
    if (MoveWaiting(copy, destination) == 0) return Settled::NewInPlace;
    return Settled::Stranded;
}

// The old file's copy aside is not needed once the new one stands: removed, or, when a holder
// keeps it, removed by the system at the next restart.
void DiscardBackup(const WString& backup) {
    BriefHoldWait wait;
    uint32_t error = System().RemoveFile(backup);
    while (wait.Again(error)) error = System().RemoveFile(backup);
    if (error != 0 && error != kErrorFileNotFound) System().RemoveAtRestart(backup);
}
}  // namespace

ReplaceResult ReplaceWithCopy(const WString& destination, const WString& copy,
                              const WString& backup) {
    BriefHoldWait wait;
    for (;;) {
        const uint32_t error = System().ReplaceKeepingBackup(destination, copy, backup);
        if (error == 0) {
            DiscardBackup(backup);
            return {};
        }
        switch (Settle(destination, copy, backup)) {
            case Settled::AsBefore:
                if (wait.Again(error)) continue;
                return {error, WString(), true};
            case Settled::NewInPlace: DiscardBackup(backup); return {};
            case Settled::Stranded:
                // The old file is named in the report when it is aside; otherwise the new copy is
                // all there is, and stays.
                if (Exists(backup)) return {error, backup, true};
                return {error, copy, false};
        }
    }
}
