#pragma once
// The complete copy of a source beside its destination, in the destination's folder so that the
// swap that follows is a rename on one volume. It goes under a side name that neither the folder
// nor the run holds, into a file the copy creates itself: where the name has been taken since
// the folder was read, the next free name is used, so nothing there is ever written over. A copy
// that fails takes its partial file with it. Brief holds are waited out. The copy ends with the
// source's last-write time and the normal attribute, as every copied file does; a copy swapped
// in takes the attributes the destination has at the swap.
#include <cstdint>
#include <memory>
#include <vector>

#include "norvane/DestinationFolder.h"

// Told the bytes of the current file copied so far.
using CopyProgressFunction = void (*)(uint64_t bytesCopied, void* data);

struct StagedCopy {
    uint32_t error = 0;
    WString path;                      // the copy, when error is 0
    std::unique_ptr<SystemFile> file;  // and the copy still open: no one else changes it
};

// `buffer`: the run's, for the bytes on their way.
StagedCopy StageCopy(SystemFile& source, DestinationFolder& folder, const WString& name,
                     std::vector<uint8_t>& buffer, CopyProgressFunction progress,
                     void* progressData);
