#pragma once
// The swap that replaces an existing destination by its complete new copy. ReplaceFileW moves
// the old file aside to a backup name and puts the new copy in its place, keeping the old
// file's security. With a backup name each answer it may give leaves a known state, handled as
// it is documented:
//   1175 (the old file could not be removed) and 1176 (the new copy could not be moved): both
//        files keep their names; the destination still holds the old file.
//   1177 (the new copy could not be moved after the old one was): the old file is under the
//        backup name and the destination name is free: the old file is put back, and where
//        the system refuses that, the new copy is moved into its place instead.
//   any other code: both files keep their names.
// Where an answer is found to have left the destination empty all the same (as 1176 does
// without a backup name), the old file is put back from the backup, or the new copy finishes
// its move. A holder that stopped the swap is waited out as any brief hold.
#include "app/WString.h"

struct ReplaceResult {
    uint32_t error = 0;
    // Where the old file stays when the system refused every way back to its name.
    WString keptAs;
    // Whether the new copy is still at its own name (to be removed by the caller).
    bool copyLeft = false;
};

ReplaceResult ReplaceWithCopy(const WString& destination, const WString& copy,
                              const WString& backup);
