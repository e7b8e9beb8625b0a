#pragma once
// A copy run, all or nothing: the product ends as the old version or as the new one.
//   1. Survey, in list order: each destination folder is read once (and cleared of what an
//      interrupted run left); a destination that already holds the source's bytes needs
//      nothing; one that a program holds is found now, before anything is written.
//   2. The bytes to write must fit each destination volume.
//   3. Files that programs still hold are named; the user closes the programs and tries again,
//      lets them be replaced at the next restart, or cancels (an unattended run lets them wait
//      for the restart).
//   4. Staging: the folders are made and every file's complete copy is written beside its
//      destination. This is where the bytes flow; nothing at a destination's name changes.
//   5. Commit, in list order: renames only. A new file takes a name that must still be free; an
//      existing one is swapped with its copy and kept under its backup name; a held one is left
//      to the system's renames at the next restart.
//   6. Once every swap has succeeded the old files go, and unchanged files get the normal
//      attribute and the source's time.
// A failure at any step undoes what the run did, in reverse order, and the box says whether the
// installation was left as it was or which files could not be put back and where their old
// copies are. A run killed at any moment leaves only side files that the next run clears or
// puts back (DestinationFolder.h), after which that run completes the update.
#include <map>
#include <set>
#include <vector>

#include "app/AppState.h"
#include "norvane/DestinationFolder.h"
#include "norvane/RunEvents.h"
#include "norvane/RunFile.h"
#include "norvane/RunReports.h"

class CopyRun {
public:
    CopyRun(AppState& state, RunEvents& events);

    // Runs to the end and tells the events; true when every file is in place.
    bool Run();

private:
    enum class Stop { None, Copy, Folder, NoSpace, Link, Name, Cancelled };

    bool Survey();
    bool SurveyExisting(RunFile& file);
    bool IsUnchanged(RunFile& file, std::unique_ptr<SystemFile>& opened);
    bool FitsFreeSpace();
    bool SettleFilesInUse();
    bool Stage();
    bool Commit();
    bool Swap(RunFile& file);
    uint32_t Place(RunFile& file);
    void Finish();
    void Undo();
    void UndoFile(RunFile& file);
    void EndStopped();

    bool Fail(Stop stop, uint32_t code, size_t entry, const WString& folder = WString());
    DestinationFolder& FolderFor(const WString& path);
    void Log(const WString& line) const;

    AppState& state_;
    RunEvents& events_;
    std::vector<RunFile> files_;
    RunDestinations destinations_;
    std::map<WString, DestinationFolder> folders_;     // by the folder's key
    std::map<WString, std::vector<WString>> namesIn_;  // the run's names, by folder key
    std::set<const DestinationFolder*> treesMade_;     // folders whose tree was made
    std::vector<WString> madeFolders_;                 // by this run, top down
    std::vector<NotPutBack> notPutBack_;
    std::vector<uint8_t> buffer_;

    Stop stop_ = Stop::None;
    uint32_t stopCode_ = 0;
    size_t stopEntry_ = 0;
    WString stopFolder_;
    uint64_t needed_ = 0, free_ = 0;
    WString fullVolume_;
};
