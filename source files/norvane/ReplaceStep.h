#pragma once
// The swap that replaces an existing destination by its complete new copy. ReplaceFileW moves
// the old file aside to a backup name and puts the new copy in its place, keeping the old
// file's security; the old file stays under the backup name until the whole run has succeeded,
// so that a later failure can put it back. With a backup name each answer it may give leaves a
// known state, handled as it is documented:
//   1175 (the old file could not be removed) and 1176 (the new copy could not be moved): both
//        files keep their names; the destination still holds the old file.
//   1177 (the new copy could not be moved after the old one was): the old file is under the
//        backup name and the destination name is free: the old file is put back, and where
//        the system refuses that, the new copy is moved into its place instead.
//   any other code: both files keep their names.
// Where an answer is found to have left the destination empty all the same (as 1176 does
// without a backup name), the old file is put back from the backup, or the new copy finishes
// its move. A holder that stopped the swap is waited out as any brief hold. No file is ever
// removed here: where every way back is refused, both stay under their side names.
#include <cstdint>

#include "base/WString.h"

enum class SwapState {
    Done,      // the new copy holds the destination's name, the old file is under the backup
    AsBefore,  // the destination holds the old file, the copy its own name
    Stranded,  // the destination is empty: the old file (if the system kept it) and the copy
               // stay under their side names
};

struct SwapResult {
    uint32_t error = 0;
    SwapState state = SwapState::Done;
};

SwapResult SwapInCopy(const WString& destination, const WString& copy, const WString& backup);

// A rename to a name that must be free, with brief holds waited out.
uint32_t MoveWaiting(const WString& from, const WString& to);
// A removal, with brief holds waited out.
uint32_t RemoveWaiting(const WString& path);
// Whether the system has a file or folder under `path`.
bool PathExists(const WString& path);
