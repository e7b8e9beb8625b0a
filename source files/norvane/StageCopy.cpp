#include "norvane/StageCopy.h"

#include "norvane/BriefHold.h"

namespace {
OpenedFile CopyInto(SystemFile& source, const WString& target, const DestinationFolder& folder,
                    CopyProgressFunction progress, void* progressData) {
    BriefHoldWait wait;
    OpenedFile copy;
    do {
        progress(0, progressData);
        copy = source.CopyToNew(target, progress, progressData);
        // The target has a side file's name, which the copy itself created: a partial one goes,
        // so a second try can create it again. A name taken by another file is left alone.
        if (copy.error != 0 && !IsTaken(copy.error)) folder.Remove(target);
    } while (wait.Again(copy.error));
    return copy;
}
}  // namespace

StagedCopy StageCopy(SystemFile& source, DestinationFolder& folder, const WString& name,
                     CopyProgressFunction progress, void* progressData) {
    StagedCopy copy{kErrorFileExists, WString(), nullptr};
    for (int attempt = 1; IsTaken(copy.error); ++attempt) {
        const std::optional<WString> sideName = folder.FreeSideName(name, SideKind::New, attempt);
        if (!sideName) return copy;
        copy.path = SidePath(folder.Path(), *sideName);
        OpenedFile made = CopyInto(source, copy.path, folder, progress, progressData);
        copy.error = made.error;
        copy.file = std::move(made.value);
        // Taken or made, the name is no longer free for this run.
        folder.Remember(*sideName);
    }
    if (copy.error != 0) copy.path.clear();
    return copy;
}
