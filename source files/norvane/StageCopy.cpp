#include "norvane/StageCopy.h"

#include "norvane/BriefHold.h"

namespace {
uint32_t CopyInto(const WString& source, const WString& target, const DestinationFolder& folder,
                  CopyProgressFunction progress, void* progressData) {
    BriefHoldWait wait;
    uint32_t error;
    do {
        progress(0, progressData);
        error = System().CopyToNewFile(source, target, progress, progressData);
        // The target has a side file's name, which the copy itself created: a partial one goes,
        // so a second try can create it again. A name taken by another file is left alone.
        if (error != 0 && !IsTaken(error)) folder.Remove(target);
    } while (wait.Again(error));
    return error;
}
}  // namespace

StagedCopy StageCopy(const WString& source, DestinationFolder& folder, const WString& name,
                     bool normalise, CopyProgressFunction progress, void* progressData) {
    StagedCopy copy{kErrorFileExists, WString()};
    for (int attempt = 1; IsTaken(copy.error); ++attempt) {
        const std::optional<WString> sideName = folder.FreeSideName(name, SideKind::New, attempt);
        if (!sideName) return copy;
        copy.path = SidePath(folder.Path(), *sideName);
        copy.error = CopyInto(source, copy.path, folder, progress, progressData);
        // Taken or made, the name is no longer free for this run.
        folder.Remember(*sideName);
    }
    if (copy.error != 0) {
        copy.path.clear();
        return copy;
    }
    // Where the attribute stays as the source had it, the file is still the complete copy.
    if (normalise) static_cast<void>(System().SetAttributes(copy.path, kFileAttributeNormal));
    return copy;
}
