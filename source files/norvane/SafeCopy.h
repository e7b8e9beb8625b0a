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

// The file to copy, as the preparation found it.
struct SourceFile {
    WString path;
    uint64_t size = 0;
    uint32_t attributes = 0;
};

class SafeCopier {
public:
    // `progress` is told the bytes copied of each file, and 0 when a file's copy starts again.
    SafeCopier(CopyProgressFunction progress, void* progressData)
        : progress_(progress), progressData_(progressData) {}

    // Copies `source` to the file `name` of `folder`, whose listing has been read.
    CopyOutcome Copy(const SourceFile& source, DestinationFolder& folder, const WString& name);

private:
    uint32_t CopyAnew(const WString& source, const WString& target, bool normalise);
    CopyOutcome CopyOver(const SourceFile& source, DestinationFolder& folder, const WString& name,
                         const FileFacts& facts);
    bool AlreadyThere(const SourceFile& source, SystemFile& destination, const FileFacts& facts,
                      bool unprotected);
    CopyOutcome Replace(const SourceFile& source, DestinationFolder& folder, const WString& name);

    CopyProgressFunction progress_;
    void* progressData_;
    std::vector<uint8_t> buffer_;
};
