#pragma once
// One file's copy onto its destination, ending in one named outcome. No outcome loses the
// destination: a new destination is created by the copy itself; an existing one that already
// holds the source's bytes is left in place; any other is replaced only by a complete copy
// made beside it, which takes its place in one swap (keeping its security), after a program
// that holds it open (a running exe or dll of the product) has been looked for. On any failure
// the destination keeps its old contents and attributes, and no file of the tool's stays
// beside it unless the outcome names it. Brief holds are waited out (BriefHold.h).
#include <cstdint>
#include <memory>
#include <vector>

#include "app/CopyOutcome.h"
#include "norvane/DestinationFolder.h"

class SafeCopier {
public:
    // `progress` is told the bytes copied of each file, and 0 when a file's copy starts again.
    SafeCopier(CopyProgressFunction progress, void* progressData)
        : progress_(progress), progressData_(progressData) {}

    // Copies `source` to the file `name` of `folder`, whose listing has been read; `size` is
    // the source's size as the preparation measured it.
    CopyOutcome Copy(const WString& source, DestinationFolder& folder, const WString& name,
                     uint64_t size);

private:
    uint32_t CopyAnew(const WString& source, const WString& target);
    CopyOutcome CopyOver(const WString& source, DestinationFolder& folder, const WString& name,
                         uint64_t size, const FileFacts& facts);
    bool AlreadyThere(const WString& source, SystemFile& destination, uint64_t size,
                      const FileFacts& facts, bool unprotected);
    CopyOutcome Replace(const WString& source, DestinationFolder& folder, const WString& name);

    CopyProgressFunction progress_;
    void* progressData_;
    std::vector<uint8_t> buffer_;
};
