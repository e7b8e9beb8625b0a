#pragma once
// A destination folder as the copy finds it. Its listing is read once, when the run first comes
// to the folder, so that what lies at each destination (nothing, or a file with its size, time
// and attributes) is known without asking the system file by file: a question about a missing
// name costs a scan of the folder. The listing may age while the copy runs; every step still
// takes the system's answer over it.
//
// On entering, the folder is cleared of the side files that an interrupted earlier run left (see
// SideFiles.h): a new copy that never took its place is removed (it is a copy of a package's
// file, so nothing is lost), unless its destination is still held by a program: then it is the
// copy that the system puts in place at the next restart, and it stays. An old file that was
// moved aside is removed when its destination holds the replacement, and put back when the
// destination is missing. A side file's name that the run itself lists is a file like any other
// and is left alone, and so is a side file whose owner cannot be told for certain.
//
// Product folders are often writable by standard users, and the tool runs elevated: every file
// it deletes or renames here is opened as the name itself (a link is never followed), must be
// no link, and must lie in this folder as the system resolves it, before the change is made
// through that very handle. A link where none is expected is left alone.
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "norvane/SideFiles.h"
#include "platform/SystemServices.h"

// A create or a rename that found the name taken.
inline bool IsTaken(uint32_t error) {
    return error == kErrorFileExists || error == kErrorAlreadyExists;
}

// The run's destination paths, full and in one letter case, so no side file takes one's name.
class RunDestinations {
public:
    void Add(const WString& destination);
    bool Contains(const WString& path) const;
    // The form in which two paths of one file compare equal.
    WString Key(const WString& path) const;

private:
    std::unordered_set<WString> paths_;
};

class DestinationFolder {
public:
    // Reads the listing of `folder` (ending in a backslash) and clears what an interrupted run
    // left; `listed` are the names the run copies into this folder. A folder that exists is held
    // from here on (Pin).
    void Enter(const WString& folder, const RunDestinations& destinations,
               const std::vector<WString>& listed);

    // Holds the folder, once it exists, so that no one can rename it or swap it for a link while
    // the run works in it: the run's own renames and removals by name then stay in it. Released
    // before the run takes back a folder it made.
    void Pin();
    void Unpin() { pin_.reset(); }

    // What the listing holds under `name`, letter case aside; null when the name was not there
    // (or the folder could not be listed).
    const FileFacts* Find(const WString& name) const;

    // A name for a side file of `fileName` that neither the listing nor the run's destinations
    // hold, tried from `attempt` on (which is left at the name's attempt); nullopt after a
    // hundred taken ones.
    std::optional<WString> FreeSideName(const WString& fileName, SideKind kind, int& attempt) const;

    // A file the run has made here (a side file), so that no later side file takes its name.
    void Remember(const WString& name, uint32_t attributes = kFileAttributeNormal);

    // The copies that an earlier run left beside `name` for the system to put in place at the
    // next restart: a run that settles `name` now removes them.
    std::vector<WString> WaitingCopies(const WString& name) const;

    const WString& Path() const { return folder_; }

    // Deletes, or renames to a name that must be free, a file of this folder through a handle of
    // the name itself, once it is known to be no link and to lie here; brief holds waited out.
    uint32_t Remove(const WString& path) const;
    uint32_t Rename(const WString& from, const WString& to) const;

private:
    uint32_t OpenToChange(const WString& path, std::unique_ptr<SystemFile>& file) const;
    void Sweep(const RunDestinations& destinations, const std::vector<WString>& listed);
    std::optional<WString> OwnerOf(const SideNameParts& side,
                                   const std::vector<WString>& listed) const;
    bool Held(const WString& name) const;
    void Remember(FileFacts facts);  // under its name in one letter case

    WString folder_;
    std::optional<WString> resolved_;  // the folder as the system resolves it, when it can say
    std::unique_ptr<SystemFile> pin_;
    std::unordered_map<WString, FileFacts> files_;               // by the name in one letter case
    std::unordered_map<WString, std::vector<WString>> waiting_;  // by the owner in one case
    const RunDestinations* destinations_ = nullptr;
};
