#include "norvane/SafeCopy.h"

#include "norvane/BriefHold.h"
#include "norvane/ReplaceStep.h"
#include "norvane/SameBytes.h"
#include "norvane/SideFiles.h"

namespace {
// Attributes that keep the system from writing over or renaming onto a file.
constexpr uint32_t kProtectingAttributes =
    kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem;

bool IsTaken(uint32_t error) {
    return error == kErrorFileExists || error == kErrorAlreadyExists;
}

CopyOutcome Done(CopyResult result) {
    return {result, 0, WString()};
}

CopyOutcome Failed(uint32_t error, WString keptAs = WString()) {
    return {CopyResult::Failed, error, std::move(keptAs)};
}

// The destination's attributes as they were, put back on every road that does not end with
// the destination written or deliberately left as a copy leaves it.
class KeptAttributes {
public:
    KeptAttributes(const WString& path, uint32_t attributes)
        : path_(path), attributes_(attributes) {}
    ~KeptAttributes() {
        if (cleared_ && !settled_) System().SetAttributes(path_, attributes_);
    }
    KeptAttributes(const KeptAttributes&) = delete;
    KeptAttributes& operator=(const KeptAttributes&) = delete;

    // Clears what would block writing, renaming or deleting the file.
    bool Clear() {
        if ((attributes_ & kProtectingAttributes) != 0) {
            cleared_ = System().SetAttributes(path_, kFileAttributeNormal);
        }
        return cleared_;
    }
    // Written, or gone: nothing of it is to be put back.
    void Settle() { settled_ = true; }
    void MovedTo(const WString& path) { path_ = path; }

private:
    WString path_;
    uint32_t attributes_;
    bool cleared_ = false;
    bool settled_ = false;
};
}  // namespace

CopyOutcome SafeCopier::Copy(const SourceFile& source, DestinationFolder& folder,
                             const WString& name) {
    const WString destination = folder.Path() + name;
    FileFacts facts;
    if (const FileFacts* listed = folder.Find(name)) {
        facts = *listed;
    } else {
        // Nothing there when the folder was listed: the copy itself creates the file, and the
        // system's refusal says whether one has come since.
        const uint32_t error = CopyAnew(source.path, destination, true);
        if (!IsTaken(error)) return error == 0 ? Done(CopyResult::New) : Failed(error);
        if (const uint32_t gone = System().QueryFile(destination, facts); gone != 0) {
            return Failed(gone);
        }
    }
    // A folder where the file must go: no waiting changes that.
    if ((facts.attributes & kFileAttributeDirectory) != 0) return Failed(kErrorAccessDenied);
    return CopyOver(source, folder, name, facts);
}

// A copy into a file it creates; a failed one takes its partial file with it, so nothing half
// written stays and a second try can create it again. With `normalise` the copy ends with the
// normal attribute, as every copied file does; a copy made to replace a destination takes the
// destination's attributes in the swap, and needs it only where the source's would block it.
uint32_t SafeCopier::CopyAnew(const WString& source, const WString& target, bool normalise) {
    BriefHoldWait wait;
    uint32_t error;
    do {
        progress_(0, progressData_);
        error = System().CopyToNewFile(source, target, progress_, progressData_);
        if (error != 0 && !IsTaken(error)) System().RemoveFile(target);
    } while (wait.Again(error));
    if (error == 0 && normalise) System().SetAttributes(target, kFileAttributeNormal);
    return error;
}

CopyOutcome SafeCopier::CopyOver(const SourceFile& source, DestinationFolder& folder,
                                 const WString& name, const FileFacts& facts) {
    const WString destination = folder.Path() + name;
    KeptAttributes kept(destination, facts.attributes);
    const bool unprotected = kept.Clear();
    const bool sameSize = facts.size == source.size;

    // Opening it as replacing it would finds a program that holds it, before anything is copied.
    std::unique_ptr<SystemFile> file;
    uint32_t error = System().OpenFile(destination, FileAccess::Replace, file);
    if (error == kErrorFileNotFound) {
        kept.Settle();
        error = CopyAnew(source.path, destination, true);
        return error == 0 ? Done(CopyResult::New) : Failed(error);
    }
    if (error == 0 && sameSize && AlreadyThere(source, *file, facts, unprotected)) {
        kept.Settle();
        return Done(CopyResult::Unchanged);
    }
    if (IsBriefHold(error)) {
        // A program that only reads the file (a loaded library) keeps it from being written,
        // not from being left alone when it already holds the source's bytes.
        std::unique_ptr<SystemFile> reading;
        if (sameSize && System().OpenFile(destination, FileAccess::ReadAndStamp, reading) == 0 &&
            AlreadyThere(source, *reading, facts, unprotected)) {
            kept.Settle();
            return Done(CopyResult::Unchanged);
        }
        BriefHoldWait wait;
        while (wait.Again(error)) error = System().OpenFile(destination, FileAccess::Replace, file);
    }
    if (error != 0) return Failed(error);
    file.reset();

    CopyOutcome outcome = Replace(source, folder, name);
    if (outcome.result != CopyResult::Failed) {
        kept.Settle();
    } else if (!outcome.keptAs.empty()) {
        kept.MovedTo(outcome.keptAs);
    }
    return outcome;
}

// Whether the destination already holds the source's bytes; if so it ends as a copy would have
// left it: the normal attribute and the source's last-write time, set only where they differ.
bool SafeCopier::AlreadyThere(const SourceFile& source, SystemFile& destination,
                              const FileFacts& facts, bool unprotected) {
    std::unique_ptr<SystemFile> original;
    if (System().OpenFile(source.path, FileAccess::Read, original) != 0 ||
        !SameBytes(*original, destination, source.size, buffer_)) {
        return false;
    }
    const uint32_t attributes =
        unprotected || facts.attributes == kFileAttributeNormal ? 0 : kFileAttributeNormal;
    const uint64_t written = original->LastWriteTime();
    const uint64_t time = written != facts.lastWriteTime ? written : 0;
    if (attributes != 0 || time != 0) destination.Stamp(attributes, time);
    return true;
}

CopyOutcome SafeCopier::Replace(const SourceFile& source, DestinationFolder& folder,
                                const WString& name) {
    // The new copy goes beside the destination, into a file that no one else has made.
    WString copy;
    uint32_t error = kErrorFileExists;
    for (int attempt = 1; IsTaken(error); ++attempt) {
        const std::optional<WString> sideName = folder.FreeSideName(name, SideKind::New, attempt);
        if (!sideName) return Failed(error);
        copy = SidePath(folder.Path(), *sideName);
        error = CopyAnew(source.path, copy, (source.attributes & kProtectingAttributes) != 0);
    }
    if (error != 0) return Failed(error);

    int attempt = 1;
    const std::optional<WString> backupName = folder.FreeSideName(name, SideKind::Old, attempt);
    if (!backupName) {
        System().RemoveFile(copy);
        return Failed(kErrorFileExists);
    }
    const ReplaceResult replaced =
        ReplaceWithCopy(folder.Path() + name, copy, SidePath(folder.Path(), *backupName));
    if (replaced.copyLeft) System().RemoveFile(copy);
    if (replaced.error != 0) return Failed(replaced.error, replaced.keptAs);
    return Done(CopyResult::Replaced);
}
