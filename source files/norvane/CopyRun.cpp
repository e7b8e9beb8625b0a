#include "norvane/CopyRun.h"

#include <utility>

#include "norvane/BriefHold.h"
#include "norvane/CopyProgress.h"
#include "norvane/DisplayName.h"
#include "norvane/LinkOnTheWay.h"
#include "norvane/ProgressAccounting.h"
#include "norvane/ReplaceStep.h"
#include "norvane/RunLogLines.h"
#include "norvane/SameBytes.h"
#include "norvane/StageCopy.h"
#include "paths/MakeFolderTree.h"
#include "paths/WindowsNames.h"

namespace {
// Attributes that keep the system from writing over, renaming onto or deleting a file.
constexpr uint32_t kProtectingAttributes =
    kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem;

// The folder a destination goes into, with its separator: "/" separates as "\" does.
size_t NameStart(const WString& path) {
    const size_t separator = path.find_last_of(u"\\/");
    return separator == WString::npos ? 0 : separator + 1;
}

OpenedFile OpenWaiting(const WString& path, FileAccess access) {
    BriefHoldWait wait;
    OpenedFile opened = System().OpenFile(path, access);
    while (wait.Again(opened.error)) opened = System().OpenFile(path, access);
    return opened;
}

// The destination's attributes cleared for what a step needs, and put back by the owner unless
// the step's outcome settles them.
class ClearedAttributes {
public:
    ClearedAttributes(const WString& path, uint32_t attributes) : path_(path), old_(attributes) {
        if ((old_ & kProtectingAttributes) != 0) {
            cleared_ = System().SetAttributes(path_, kFileAttributeNormal) == 0;
        }
    }
    ~ClearedAttributes() {
        // A destination whose attributes cannot be put back keeps its bytes all the same.
        if (cleared_ && !kept_) static_cast<void>(System().SetAttributes(path_, old_));
    }
    ClearedAttributes(const ClearedAttributes&) = delete;
    ClearedAttributes& operator=(const ClearedAttributes&) = delete;
    void Keep() { kept_ = true; }

private:
    WString path_;
    uint32_t old_;
    bool cleared_ = false;
    bool kept_ = false;
};
}  // namespace

CopyRun::CopyRun(AppState& state, RunEvents& events) : state_(state), events_(events) {}

void CopyRun::Log(const WString& line) const {
    if (CurrentRun().log.IsOpen()) CurrentRun().log.Write(line);
}

bool CopyRun::Fail(Stop stop, uint32_t code, size_t entry, const WString& folder) {
    stop_ = stop;
    stopCode_ = code;
    stopEntry_ = entry;
    stopFolder_ = folder;
    return false;
}

DestinationFolder& CopyRun::FolderFor(const WString& path) {
    const WString key = destinations_.Key(path);
    auto found = folders_.find(key);
    if (found != folders_.end()) return found->second;
    DestinationFolder& folder = folders_[key];
    folder.Enter(path, destinations_, namesIn_[key]);
    return folder;
}

bool CopyRun::Run() {
    state_.summary = RunSummary{};
    state_.summary.ran = true;
    state_.outcomes.clear();
    const bool complete = Survey() && FitsFreeSpace() && SettleFilesInUse() && Stage() && Commit();
    if (complete) {
        Finish();
    } else {
        if (stopEntry_ > 0) {
            Log(FileLogLine(*files_[stopEntry_ - 1].entry, {CopyResult::Failed, stopCode_}));
        }
        Undo();
        EndStopped();
    }
    events_.Ended(complete);
    return complete;
}

// Where each file goes and what lies there; nothing is written but what an interrupted run
// left, which the folders clear as the run first comes to them.
bool CopyRun::Survey() {
    const std::vector<CopyEntry>& list = state_.CopyList;
    files_.resize(static_cast<size_t>(state_.entryCount));
    for (size_t i = 0; i < files_.size(); ++i) {
        RunFile& file = files_[i];
        file.entry = &list[i];
        file.destination = list[i].destFolder + list[i].fileName;
        destinations_.Add(file.destination);
        const size_t start = NameStart(file.destination);
        file.name = file.destination.substr(start);
        namesIn_[destinations_.Key(file.destination.substr(0, start))].push_back(file.name);
    }
    std::map<WString, size_t> seen;
    for (size_t i = 0; i < files_.size(); ++i) {
        RunFile& file = files_[i];
        // A name Windows refuses would fail halfway through the run, or reach a device.
        if (const std::optional<NameFault> fault = WindowsNameFault(file.entry->fileName)) {
            return Fail(Stop::Name, kErrorInvalidName, i + 1,
                        RefusedNameText(file.entry->fileName, *fault));
        }
        // No copy can write a path of that length: refused before anything is written.
        if (file.destination.size() >= static_cast<size_t>(kPathUnits)) {
            return Fail(Stop::Copy, kErrorFilenameExcedRange, i + 1);
        }
        const WString folderPath = file.destination.substr(0, NameStart(file.destination));
        const size_t foldersKnown = folders_.size();
        file.folder = &FolderFor(folderPath);
        // Nothing is written through a link below INSTALLDIR: not the folders on the way (looked
        // at when the run first comes to the folder), not the destination.
        if (folders_.size() != foldersKnown) {
            if (auto link = LinkOnTheWay(file.entry->destFolder, folderPath)) {
                return Fail(Stop::Link, kErrorAccessDenied, i + 1, *link);
            }
        }
        // A destination listed twice ends as the later entry has it: each swaps in turn.
        auto [earlier, first] = seen.emplace(destinations_.Key(file.destination), i);
        if (!first) {
            file.repeated = true;
            file.road = files_[earlier->second].road == Road::New ? Road::New : Road::Replace;
            file.inUse = files_[earlier->second].inUse;
            file.found = files_[earlier->second].found;
            continue;
        }
        const FileFacts* listed = file.folder->Find(file.name);
        if (listed == nullptr) {
            // Nothing there when the folder was read: the commit's rename finds one that came
            // since, and then swaps instead.
            file.road = Road::New;
            continue;
        }
        file.found = *listed;
        if ((listed->attributes & kFileAttributeReparsePoint) != 0) {
            return Fail(Stop::Link, kErrorAccessDenied, i + 1, file.destination);
        }
        // A folder where the file must go: no waiting changes that.
        if ((listed->attributes & kFileAttributeDirectory) != 0) {
            return Fail(Stop::Copy, kErrorAccessDenied, i + 1);
        }
        if (!SurveyExisting(file)) return Fail(Stop::Copy, stopCode_, i + 1);
    }
    return true;
}

// An existing destination: opened as replacing it needs, which finds a program that holds it,
// and compared with the source where the sizes agree.
bool CopyRun::SurveyExisting(RunFile& file) {
    OpenedFile opened;
    {
        ClearedAttributes cleared(file.destination, file.found.attributes);
        opened = System().OpenFile(file.destination, FileAccess::Replace);
        if (IsHoldCode(opened.error)) {
            // A program that only reads the file (a loaded library) keeps it from being
            // written, not from being left alone when it already holds the source's bytes.
            OpenedFile reading = System().OpenFile(file.destination, FileAccess::ReadAndStamp);
            if (reading.error == 0 && IsUnchanged(file, reading.value)) return true;
            opened = OpenWaiting(file.destination, FileAccess::Replace);
        }
    }
    const uint32_t error = opened.error;
    file.road = Road::Replace;
    if (error == kErrorFileNotFound) {
        file.road = Road::New;
    } else if (IsHoldCode(error)) {
        file.inUse = true;
    } else if (error != 0) {
        stopCode_ = error;
        return false;
    } else {
        IsUnchanged(file, opened.value);
    }
    return true;
}

// Whether the destination, open as `opened`, already holds the source's bytes. If so it is left
// in place, and once the run is complete it ends as a copy would have left it: the normal
// attribute and the source's last-write time, each set only where it differs.
bool CopyRun::IsUnchanged(RunFile& file, std::unique_ptr<SystemFile>& opened) {
    const CopyEntry& entry = *file.entry;
    if (file.found.size != entry.size) return false;
    const WString source = entry.sourceFolder + entry.fileName;
    state_.fileBytesSeen = 0;
    state_.display.ShowEntry(entry.destFolder, DisplayName(entry.fileName));
    Log(u"compare " + source + u" with " + file.destination);
    // The source as the preparation left it open, read from its start; or, where it did not,
    // opened now.
    std::shared_ptr<SystemFile> original = entry.source;
    if (!original) {
        OpenedFile byName = System().OpenFile(source, FileAccess::Read);
        if (byName.error != 0) return false;
        original = std::move(byName.value);
    } else if (original->Rewind() != 0) {
        return false;
    }
    if (!SameBytes(*original, *opened, entry.size, buffer_)) return false;
    file.road = Road::Unchanged;
    const uint64_t written = original->LastWriteTime();
    file.stampAttributes = file.found.attributes != kFileAttributeNormal ? kFileAttributeNormal : 0;
    file.stampTime = written != file.found.lastWriteTime ? written : 0;
    if (file.stampAttributes != 0 || file.stampTime != 0) file.unchanged = std::move(opened);
    AccountFileCompleted(state_, entry.size);
    return true;
}

// The bytes to write, volume by volume, against what is free there, before the first is written.
bool CopyRun::FitsFreeSpace() {
    struct Volume {
        uint64_t needed = 0, free = 0;
    };
    std::map<WString, Volume> volumes;
    std::map<const DestinationFolder*, WString> volumeOf;
    for (const RunFile& file : files_) {
        if (file.road == Road::Unchanged) continue;
        auto known = volumeOf.find(file.folder);
        if (known == volumeOf.end()) {
            // A volume that cannot tell is not held against the run: its copy tells.
            const Answer<VolumeSpace> space = System().FreeSpace(file.folder->Path());
            if (space.error != 0) continue;
            known = volumeOf.emplace(file.folder, space.value.volume).first;
            volumes[space.value.volume].free = space.value.freeBytes;
        }
        volumes[known->second].needed += file.entry->size;
    }
    for (const auto& [volume, bytes] : volumes) {
        if (bytes.needed > bytes.free) {
            fullVolume_ = volume;
            needed_ = bytes.needed;
            free_ = bytes.free;
            return Fail(Stop::NoSpace, kErrorDiskFull, 0);
        }
    }
    return true;
}

// Files that programs hold are named once, before anything is written; the answer decides.
bool CopyRun::SettleFilesInUse() {
    for (;;) {
        std::vector<const RunFile*> held;
        for (RunFile& file : files_) {
            if (!file.inUse || file.repeated) continue;
            // Where the system cannot say, the question names "another program".
            file.holders = System().WhoHolds(file.destination).value;
            held.push_back(&file);
        }
        if (held.empty()) return true;
        events_.ShowNow();
        const InUseAnswer answer = events_.AskFilesInUse(FilesInUseText(held));
        static const WChar* const kAnswers[] = {u"Cancel", u"Try Again", u"Continue"};
        for (const RunFile* file : held) {
            Log(u"in use by " + HoldersText(*file) + u": " + file->destination + u"; answer: " +
                kAnswers[static_cast<int>(answer)]);
        }
        if (answer == InUseAnswer::Continue) break;
        if (answer == InUseAnswer::Cancel) return Fail(Stop::Cancelled, 0, 0);
        for (RunFile& file : files_) {
            if (!file.inUse || file.repeated) continue;
            ClearedAttributes cleared(file.destination, file.found.attributes);
            const uint32_t error = OpenWaiting(file.destination, FileAccess::Replace).error;
            if (error == 0 || error == kErrorFileNotFound) file.inUse = false;
        }
    }
    // Later entries for the same destination wait with it.
    for (RunFile& file : files_) {
        if (file.repeated) {
            for (const RunFile& earlier : files_) {
                if (&earlier == &file) break;
                if (earlier.inUse &&
                    destinations_.Key(earlier.destination) == destinations_.Key(file.destination)) {
                    file.inUse = true;
                }
            }
        }
    }
    return true;
}

// Every complete copy beside its destination; the progress follows the bytes.
bool CopyRun::Stage() {
    for (size_t i = 0; i < files_.size(); ++i) {
        RunFile& file = files_[i];
        if (file.road == Road::Unchanged) continue;
        const CopyEntry& entry = *file.entry;
        state_.fileBytesSeen = 0;
        state_.display.ShowEntry(entry.destFolder, DisplayName(entry.fileName));
        if (treesMade_.insert(file.folder).second) {
            const FolderTreeResult tree = MakeFolderTreeNoting(file.folder->Path());
            madeFolders_.insert(madeFolders_.end(), tree.made.begin(), tree.made.end());
            if (tree.error != 0) return Fail(Stop::Folder, tree.error, i + 1, tree.folder);
            file.folder->Pin();
        }
        const WString source = entry.sourceFolder + entry.fileName;
        Log(u"stage " + source + u" -> " + file.destination);
        // The source as the preparation left it open, or, where it did not, opened now.
        std::shared_ptr<SystemFile> from = entry.source;
        if (!from) {
            OpenedFile opened = OpenWaiting(source, FileAccess::Read);
            if (opened.error != 0) return Fail(Stop::Copy, opened.error, i + 1);
            from = std::move(opened.value);
        }
        StagedCopy copy = StageCopy(*from, *file.folder, file.name, buffer_, CopyProgress, &state_);
        if (copy.error != 0) return Fail(Stop::Copy, copy.error, i + 1);
        file.staged = copy.path;
        // A new file's copy stays open till it takes its name through the same handle (a
        // handle a file, as the list holds at most kMaxCopyEntries); a swap and the system's
        // rename at the restart take the copy by its name, which must be free.
        if (file.road == Road::New && !file.inUse) file.stagedFile = std::move(copy.file);
        // Where the system reported no progress (or not all of it), the file still counts whole.
        AccountFileCompleted(state_, entry.size);
    }
    return true;
}

// A new file's copy takes its name through the handle that wrote it, which staging kept for
// every new file that is not left to the restart: the rename fails where the name is taken, so
// it never replaces anything. The folder is held since it was read (or made), so the name stays
// in it.
uint32_t CopyRun::Place(RunFile& file) {
    BriefHoldWait wait;
    uint32_t error;
    do {
        error = file.stagedFile->Rename(file.destination);
    } while (wait.Again(error));
    file.stagedFile.reset();
    return error;
}

bool CopyRun::Swap(RunFile& file) {
    int attempt = 1;
    const std::optional<WString> backupName =
        file.folder->FreeSideName(file.name, SideKind::Old, attempt);
    if (!backupName) {
        stopCode_ = kErrorFileExists;
        return false;
    }
    const WString backup = SidePath(file.folder->Path(), *backupName);
    file.folder->Remember(*backupName);
    ClearedAttributes cleared(file.destination, file.found.attributes);
    const SwapResult swap = SwapInCopy(file.destination, file.staged, backup);
    if (swap.state == SwapState::AsBefore) {
        stopCode_ = swap.error;
        return false;
    }
    // The old file is under the backup name now, normal as the swap left it.
    cleared.Keep();
    file.backup = backup;
    file.committed = swap.state == SwapState::Done ? Committed::Swapped : Committed::Stranded;
    stopCode_ = swap.error;
    return swap.state == SwapState::Done;
}

// Renames only, in list order.
bool CopyRun::Commit() {
    for (size_t i = 0; i < files_.size(); ++i) {
        RunFile& file = files_[i];
        if (file.road == Road::Unchanged) continue;
        if (file.inUse) {
            // A protected file would refuse the system's rename at the restart.
            ClearedAttributes cleared(file.destination, file.found.attributes);
            const uint32_t error = System().ReplaceAtRestart(file.staged, file.destination);
            if (error != 0) return Fail(Stop::Copy, error, i + 1);
            cleared.Keep();
            file.committed = Committed::Queued;
            Log(u"in use, replaced at the next restart: " + file.destination + u" (from " +
                file.staged + u")");
            continue;
        }
        if (file.road == Road::New) {
            const uint32_t error = Place(file);
            if (error == 0) {
                file.committed = Committed::Placed;
                continue;
            }
            if (!IsTaken(error)) return Fail(Stop::Copy, error, i + 1);
            // A file came to the name since the folder was read: it is swapped like any other,
            // unless it is a link.
            const Answer<FileFacts> there = System().QueryFile(file.destination);
            if (there.error == 0) file.found = there.value;
            if ((there.value.attributes & kFileAttributeReparsePoint) != 0) {
                return Fail(Stop::Link, kErrorAccessDenied, i + 1, file.destination);
            }
            file.road = Road::Replace;
        }
        if (!Swap(file)) return Fail(Stop::Copy, stopCode_, i + 1);
    }
    return true;
}

// Every file is in place: the old ones go, the unchanged ones get their stamp, and copies that
// an earlier run left for the restart of a destination settled now are no longer wanted.
void CopyRun::Finish() {
    std::vector<const RunFile*> atRestart;
    for (RunFile& file : files_) {
        if (!file.backup.empty()) {
            const uint32_t error = RemoveWaiting(file.backup);
            // Held beyond the wait: the system removes it at the restart, or it stays a leftover
            // that the next run in this folder removes.
            if (error != 0 && error != kErrorFileNotFound) {
                static_cast<void>(System().RemoveAtRestart(file.backup));
            }
        }
        if (file.unchanged) {
            // A stamp the system refuses leaves the bytes in place all the same.
            static_cast<void>(file.unchanged->Stamp(file.stampAttributes, file.stampTime));
            file.unchanged.reset();
        }
        if (file.committed == Committed::Queued) {
            atRestart.push_back(&file);
        } else if (!file.repeated) {
            for (const WString& waiting : file.folder->WaitingCopies(file.name)) {
                if (file.folder->Remove(waiting) == 0) {
                    Log(u"a copy left for the restart is no longer wanted, removed: " + waiting);
                }
            }
        }
        CopyResult result = CopyResult::Unchanged;
        if (file.committed == Committed::Queued) result = CopyResult::AtRestart;
        if (file.committed == Committed::Placed) result = CopyResult::New;
        if (file.committed == Committed::Swapped) result = CopyResult::Replaced;
        state_.outcomes.push_back({result, 0});
        Log(FileLogLine(*file.entry, state_.outcomes.back()));
    }
    state_.summary.complete = true;
    events_.ShowNow();
    if (!atRestart.empty()) events_.Tell(AtRestartMessage(atRestart));
}

void CopyRun::UndoFile(RunFile& file) {
    const Committed committed = std::exchange(file.committed, Committed::Nothing);
    switch (committed) {
        case Committed::Nothing: return;
        case Committed::Queued:
            // Without its copy the system's rename at the restart has nothing to do.
            static_cast<void>(System().SetAttributes(file.destination, file.found.attributes));
            if (file.folder->Remove(file.staged) == 0) {
                Log(u"undo: " + file.destination + u" is no longer replaced at the next restart");
            } else {
                notPutBack_.push_back({file.destination, WString()});
            }
            file.staged.clear();
            return;
        case Committed::Placed:
            if (file.folder->Remove(file.destination) == 0) {
                Log(u"undo: new file removed: " + file.destination);
            } else {
                notPutBack_.push_back({file.destination, WString()});
            }
            file.staged.clear();
            return;
        case Committed::Swapped: {
            file.staged.clear();  // the new copy holds the destination's name
            // The new file steps aside first, so that the old one goes back to a free name.
            int attempt = 1;
            const std::optional<WString> asideName =
                file.folder->FreeSideName(file.name, SideKind::New, attempt);
            if (!asideName) break;
            file.folder->Remember(*asideName);
            const WString aside = SidePath(file.folder->Path(), *asideName);
            if (file.folder->Rename(file.destination, aside) != 0) break;
            if (file.folder->Rename(file.backup, file.destination) == 0) {
                file.staged = aside;  // removed with the other staged copies
                static_cast<void>(System().SetAttributes(file.destination, file.found.attributes));
                Log(u"undo: " + file.destination + u" put back from " + file.backup);
                file.backup.clear();
                return;
            }
            // Where the old file cannot go back, the new one at least keeps the name filled.
            if (file.folder->Rename(aside, file.destination) != 0) file.staged.clear();
            break;
        }
        case Committed::Stranded:
            if (file.folder->Rename(file.backup, file.destination) == 0) {
                static_cast<void>(System().SetAttributes(file.destination, file.found.attributes));
                Log(u"undo: " + file.destination + u" put back from " + file.backup);
                file.backup.clear();
                return;
            }
            // Both files stay under their side names: the next run puts the old one back.
            file.staged.clear();
            break;
    }
    const bool oldCopyThere = PathExists(file.backup);
    notPutBack_.push_back({file.destination, oldCopyThere ? file.backup : WString()});
    Log(u"undo: " + file.destination + u" could not be put back" +
        (oldCopyThere ? u"; its old copy is " + file.backup : WString()));
    file.backup.clear();
}

// What the run did, taken back in reverse order: swaps, then the copies beside the
// destinations, then the folders it made.
void CopyRun::Undo() {
    // The copies still open are taken back by their names.
    for (RunFile& file : files_) file.stagedFile.reset();
    for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
        file->unchanged.reset();
        UndoFile(*file);
    }
    for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
        if (file->staged.empty()) continue;
        if (file->folder->Remove(file->staged) == 0) {
            Log(u"undo: staged copy removed: " + file->staged);
        }
        file->staged.clear();
    }
    // A folder held cannot be removed, by the run itself neither.
    for (auto& [key, folder] : folders_) folder.Unpin();
    for (auto folder = madeFolders_.rbegin(); folder != madeFolders_.rend(); ++folder) {
        if (System().RemoveFolder(*folder) == 0) Log(u"undo: folder removed: " + *folder);
    }
}

void CopyRun::EndStopped() {
    state_.summary.cancelled = stop_ == Stop::Cancelled;
    state_.summary.stoppedAt = stopEntry_;
    state_.summary.notPutBack = notPutBack_.size();
    events_.ShowNow();
    switch (stop_) {
        case Stop::None:
        case Stop::Cancelled: Log(u"cancelled: " + UndoText(notPutBack_)); break;
        case Stop::Copy: events_.Tell(CopyFailedMessage(stopCode_, UndoText(notPutBack_))); break;
        case Stop::Folder:
            Log(u"Failed to make directory. " + stopFolder_ + u": error " + DecimalText(stopCode_) +
                u"; " + UndoText(notPutBack_));
            events_.Tell(FolderFailedMessage(stopFolder_, stopCode_));
            break;
        case Stop::NoSpace: events_.Tell(NoSpaceMessage(fullVolume_, needed_, free_)); break;
        case Stop::Link:
            Log(LinkRefusalText(stopFolder_) + u" " + UndoText(notPutBack_));
            events_.Tell(LinkMessage(stopFolder_, UndoText(notPutBack_)));
            break;
        case Stop::Name:
            Log(stopFolder_ + u" " + UndoText(notPutBack_));
            events_.Tell(NameRefusedMessage(stopFolder_, UndoText(notPutBack_)));
            break;
    }
}
