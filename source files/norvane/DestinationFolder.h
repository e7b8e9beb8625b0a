#pragma once
// A destination folder as the copy finds it. Its listing is read once when the copy comes to
// the folder, so that what lies at each destination (nothing, or a file with its size, time and
// attributes) is known without asking the system file by file: a question about a missing name
// costs a scan of the folder. The listing may age while the copy runs; every step still takes
// the system's answer over it.
//
// The first time in a run, the folder is also cleared of the side files that an interrupted
// earlier run left (see SideFiles.h): a new copy that never took its place is removed (it is a
// copy of a package's file, so nothing is lost); an old file that was moved aside is removed
// when its destination holds the replacement, and put back when the destination is missing. A
// side file's name that the run itself lists is a file like any other and is left alone.
#include <unordered_map>
#include <unordered_set>

#include "norvane/SideFiles.h"
#include "platform/SystemServices.h"

// The run's destination paths, full and in one letter case, so no side file takes one's name.
class RunDestinations {
public:
    void Add(const WString& destination);
    bool Contains(const WString& path) const;

private:
    WString Key(const WString& path) const;
    std::unordered_set<WString> paths_;
};

class DestinationFolder {
public:
    // Reads the listing of `folder` (ending in a backslash); clears leftovers when `sweep`.
    void Enter(const WString& folder, const RunDestinations& destinations, bool sweep);

    // What the listing holds under `name`, letter case aside; null when the name was not there
    // (or the folder could not be listed).
    const FileFacts* Find(const WString& name) const;

    // A name for a side file of `fileName` that neither the listing nor the run's destinations
    // hold, tried from `attempt` on (which is left at the name's attempt); nullopt after a
    // hundred taken ones.
    std::optional<WString> FreeSideName(const WString& fileName, SideKind kind, int& attempt) const;

    const WString& Path() const { return folder_; }

private:
    void Sweep(const RunDestinations& destinations);
    void Remember(FileFacts facts);  // under its name in one letter case

    WString folder_;
    std::unordered_map<WString, FileFacts> files_;  // by the name in one letter case
    const RunDestinations* destinations_ = nullptr;
};
