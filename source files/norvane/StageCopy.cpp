#include "norvane/StageCopy.h"

#include "norvane/BriefHold.h"

namespace {
// Chunks of 256 KiB: under Wine, 1 MiB ones made one large copy in three take seconds instead of
// a fraction of one, and 64 KiB ones were slower on average.
constexpr uint32_t kChunk = 1u << 18;

// The source's bytes, from its start, into a file created at `target`, which ends with the
// source's last-write time and the normal attribute and is answered still open. The copy is
// written here rather than by CopyFileExW, which opens the source by its name again and closes
// the file it makes: what is written is the source that was proven readable, which no one has
// been able to change since, and what is renamed later is the file that was written. Other
// streams of the source (a download's zone mark) are not carried into the product's folder. A
// failure answers no file, so the partial one is closed and can go.
OpenedFile CopyOnce(SystemFile& source, const WString& target, std::vector<uint8_t>& buffer,
                    CopyProgressFunction progress, void* progressData) {
    const uint64_t written = source.LastWriteTime();
    if (const uint32_t error = source.Rewind()) return {error, nullptr};
    OpenedFile copy = System().CreateNewFile(target);
    if (copy.error != 0) return copy;
    if (buffer.size() < kChunk) buffer.resize(kChunk);
    uint64_t copied = 0;
    for (;;) {
        uint32_t read = 0;
        if (const uint32_t error = source.Read(buffer.data(), kChunk, read))
            return {error, nullptr};
        if (read == 0) break;
        if (const uint32_t error = copy.value->Write(buffer.data(), read)) return {error, nullptr};
        copied += read;
        progress(copied, progressData);
    }
    // After the last write, so that nothing moves the time again; where the system refuses the
    // stamp, the copy is complete all the same.
    static_cast<void>(copy.value->Stamp(kFileAttributeNormal, written));
    return copy;
}

OpenedFile CopyInto(SystemFile& source, const WString& target, const DestinationFolder& folder,
                    std::vector<uint8_t>& buffer, CopyProgressFunction progress,
                    void* progressData) {
    BriefHoldWait wait;
    OpenedFile copy;
    do {
        progress(0, progressData);
        copy = CopyOnce(source, target, buffer, progress, progressData);
        // The target has a side file's name, which the copy itself created: a partial one goes,
        // so a second try can create it again. A name taken by another file is left alone.
        if (copy.error != 0 && !IsTaken(copy.error)) folder.Remove(target);
    } while (wait.Again(copy.error));
    return copy;
}
}  // namespace

StagedCopy StageCopy(SystemFile& source, DestinationFolder& folder, const WString& name,
                     std::vector<uint8_t>& buffer, CopyProgressFunction progress,
                     void* progressData) {
    StagedCopy copy{kErrorFileExists, WString(), nullptr};
    for (int attempt = 1; IsTaken(copy.error); ++attempt) {
        const std::optional<WString> sideName = folder.FreeSideName(name, SideKind::New, attempt);
        if (!sideName) return copy;
        copy.path = SidePath(folder.Path(), *sideName);
        OpenedFile made = CopyInto(source, copy.path, folder, buffer, progress, progressData);
        copy.error = made.error;
        copy.file = std::move(made.value);
        // Taken or made, the name is no longer free for this run.
        folder.Remember(*sideName);
    }
    if (copy.error != 0) copy.path.clear();
    return copy;
}
