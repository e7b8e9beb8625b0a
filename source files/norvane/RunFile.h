#pragma once
// One entry of the copy list on its way through a copy run.
#include <memory>
#include <vector>

#include "app/CopyEntry.h"
#include "platform/SystemServices.h"

class DestinationFolder;

enum class Road {
    Unchanged,  // the destination already holds the source's bytes: nothing is written
    New,        // nothing there: the staged copy takes the name, which must still be free
    Replace,    // a file there: the staged copy is swapped in, the old file kept aside till the end
};

// How far the commit came with a file: what an undo has to take back.
enum class Committed {
    Nothing,
    Swapped,   // the staged copy holds the name, the old file is under `backup`
    Placed,    // the staged copy took a name that was free
    Queued,    // the system renames the staged copy onto the destination at the next restart
    Stranded,  // the swap stopped with the name empty, and no way back was allowed
};

struct RunFile {
    const CopyEntry* entry = nullptr;
    WString destination;
    DestinationFolder* folder = nullptr;
    WString name;  // the destination's name within its folder
    Road road = Road::New;
    bool repeated = false;                  // an earlier entry of the run has the same destination
    FileFacts found;                        // what lay at the destination when the run came to it
    std::unique_ptr<SystemFile> unchanged;  // an unchanged destination, open until its stamp
    uint32_t stampAttributes = 0;           // what the stamp sets (0: leaves as it is)
    uint64_t stampTime = 0;
    WString staged;                          // the complete copy beside the destination
    std::unique_ptr<SystemFile> stagedFile;  // that copy still open, where the run keeps it
    bool inUse = false;                      // held after the wait: replaced when Windows restarts
    std::vector<FileHolder> holders;
    Committed committed = Committed::Nothing;
    WString backup;  // the old file aside, once swapped
};
