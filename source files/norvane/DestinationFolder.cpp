#include "norvane/DestinationFolder.h"

#include "reporting/Notice.h"
#include "norvane/BriefHold.h"

namespace {
constexpr int kMostSideNameAttempts = 100;

void Log(const WString& line) {
    if (CurrentRun().log.IsOpen()) CurrentRun().log.Write(line);
}
}  // namespace

WString RunDestinations::Key(const WString& path) const {
    return System().FoldCase(System().FullPath(path).value_or(path));
}

void RunDestinations::Add(const WString& destination) {
    paths_.insert(Key(destination));
}

bool RunDestinations::Contains(const WString& path) const {
    return paths_.count(Key(path)) != 0;
}

void DestinationFolder::Enter(const WString& folder, const RunDestinations& destinations,
                              const std::vector<WString>& listed) {
    folder_ = folder;
    destinations_ = &destinations;
    files_.clear();
    waiting_.clear();
    resolved_.reset();
    pin_.reset();
    Pin();
    // A folder that cannot be read lists nothing: every file of it goes the way of a new one,
    // whose rename finds what is there after all.
    if (Answer<std::vector<FileFacts>> listing = System().ListFolder(folder); listing.error == 0) {
        for (FileFacts& facts : listing.value) {
            Remember(std::move(facts));
        }
    }
    Sweep(destinations, listed);
}

void DestinationFolder::Pin() {
    if (pin_) return;
    OpenedFile held = System().OpenFile(folder_, FileAccess::Pin);
    if (held.error != 0) return;  // not there yet: held once it is made
    pin_ = std::move(held.value);
    resolved_ = pin_->FinalPath();
}

void DestinationFolder::Remember(FileFacts facts) {
    WString key = System().FoldCase(facts.name);
    files_.insert_or_assign(std::move(key), std::move(facts));
}

void DestinationFolder::Remember(const WString& name, uint32_t attributes) {
    Remember(FileFacts{name, attributes, 0, 0});
}

const FileFacts* DestinationFolder::Find(const WString& name) const {
    auto found = files_.find(System().FoldCase(name));
    return found != files_.end() ? &found->second : nullptr;
}

std::optional<WString> DestinationFolder::FreeSideName(const WString& fileName, SideKind kind,
                                                       int& attempt) const {
    for (; attempt <= kMostSideNameAttempts; ++attempt) {
        WString name = SideName(fileName, kind, attempt);
        if (Find(name) == nullptr && !destinations_->Contains(folder_ + name)) return name;
    }
    return std::nullopt;
}

std::vector<WString> DestinationFolder::WaitingCopies(const WString& name) const {
    auto found = waiting_.find(System().FoldCase(name));
    return found != waiting_.end() ? found->second : std::vector<WString>();
}

// Whose a side file is: a name the run lists in this folder that the side file's name was made
// from, else the name it carries, unless that may have been cut.
std::optional<WString> DestinationFolder::OwnerOf(const SideNameParts& side,
                                                  const std::vector<WString>& listed) const {
    const WString owner = System().FoldCase(side.owner);
    std::optional<WString> found;
    for (const WString& name : listed) {
        const WString folded = System().FoldCase(name);
        const bool match = side.cut ? folded.compare(0, owner.size(), owner) == 0 : folded == owner;
        if (!match) continue;
        if (found && System().FoldCase(*found) != folded) return std::nullopt;  // which of them?
        found = name;
    }
    if (found || side.cut) return found;
    return side.owner.empty() ? std::nullopt : std::optional<WString>(side.owner);
}

uint32_t DestinationFolder::OpenToChange(const WString& path,
                                         std::unique_ptr<SystemFile>& file) const {
    OpenedFile opened = System().OpenFile(path, FileAccess::Change);
    if (opened.error != 0) return opened.error;
    file = std::move(opened.value);
    // The name's attributes too: a system that follows a link while opening shows it there.
    if (((file->Attributes() | System().GetAttributes(path)) & kFileAttributeReparsePoint) != 0) {
        return kErrorAccessDenied;
    }
    const std::optional<WString> where = file->FinalPath();
    if (resolved_ && where) {
        const WString inside = System().FoldCase(*resolved_);
        const WString found = System().FoldCase(*where);
        const size_t separator = found.find_last_of(u"\\/");
        if (separator == WString::npos ||
            found.substr(0, separator) + u"\\" != inside + (inside.back() == u'\\' ? u"" : u"\\")) {
            return kErrorAccessDenied;
        }
    }
    return 0;
}

uint32_t DestinationFolder::Remove(const WString& path) const {
    BriefHoldWait wait;
    uint32_t error;
    do {
        std::unique_ptr<SystemFile> file;
        error = OpenToChange(path, file);
        if (error == 0) error = file->Remove();
    } while (wait.Again(error));
    return error;
}

uint32_t DestinationFolder::Rename(const WString& from, const WString& to) const {
    BriefHoldWait wait;
    uint32_t error;
    do {
        std::unique_ptr<SystemFile> file;
        error = OpenToChange(from, file);
        if (error == 0) error = file->Rename(to);
    } while (wait.Again(error));
    return error;
}

bool DestinationFolder::Held(const WString& name) const {
    return IsHoldCode(System().OpenFile(folder_ + name, FileAccess::Replace).error);
}

void DestinationFolder::Sweep(const RunDestinations& destinations,
                              const std::vector<WString>& listed) {
    std::vector<WString> gone;
    std::vector<FileFacts> restored;
    for (auto& [key, facts] : files_) {
        const std::optional<SideNameParts> side = ParseSideName(facts.name);
        if (!side ||
            (facts.attributes & (kFileAttributeDirectory | kFileAttributeReparsePoint)) != 0 ||
            destinations.Contains(folder_ + facts.name)) {
            continue;
        }
        const std::optional<WString> owner = OwnerOf(*side, listed);
        if (!owner) continue;  // whose it is cannot be told: it stays
        const WString path = SidePath(folder_, facts.name);
        const bool ownerThere = files_.count(System().FoldCase(*owner)) != 0;
        if (side->kind == SideKind::Old && !ownerThere) {
            // The replacement stopped between its two renames: the old file goes back.
            if (Rename(path, SidePath(folder_, *owner)) == 0) {
                Log(u"leftover put back: " + path + u" -> " + folder_ + *owner);
                gone.push_back(key);
                restored.push_back(facts);
                restored.back().name = *owner;
            }
            continue;
        }
        if (side->kind == SideKind::New && ownerThere && Held(*owner)) {
            // The copy the system puts in place of its held destination at the next restart.
            Log(u"leftover kept: " + path + u" (" + folder_ + *owner +
                u" is in use; the copy waits for the restart)");
            waiting_[System().FoldCase(*owner)].push_back(path);
            continue;
        }
        if ((facts.attributes & kFileAttributeReadOnly) != 0) {
            static_cast<void>(System().SetAttributes(path, kFileAttributeNormal));
        }
        if (Remove(path) == 0) {
            Log(u"leftover removed: " + path);
            gone.push_back(key);
        }
    }
    for (const WString& key : gone) files_.erase(key);
    for (FileFacts& facts : restored) {
        Remember(std::move(facts));
    }
}
