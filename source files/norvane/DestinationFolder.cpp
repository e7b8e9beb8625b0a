#include "norvane/DestinationFolder.h"

namespace {
constexpr int kMostSideNameAttempts = 100;
}

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
                              bool sweep) {
    folder_ = folder;
    destinations_ = &destinations;
    files_.clear();
    if (auto listing = System().ListFolder(folder)) {
        for (FileFacts& facts : *listing) {
            Remember(std::move(facts));
        }
    }
    if (sweep) Sweep(destinations);
}

void DestinationFolder::Remember(FileFacts facts) {
    WString key = System().FoldCase(facts.name);
    files_.emplace(std::move(key), std::move(facts));
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

void DestinationFolder::Sweep(const RunDestinations& destinations) {
    std::vector<WString> gone;
    std::vector<FileFacts> restored;
    for (auto& [key, facts] : files_) {
        const std::optional<SideNameParts> side = ParseSideName(facts.name);
        if (!side || (facts.attributes & kFileAttributeDirectory) != 0 ||
            destinations.Contains(folder_ + facts.name)) {
            continue;
        }
        const WString path = SidePath(folder_, facts.name);
        if (side->kind == SideKind::Old) {
            if (side->owner.empty()) continue;  // whose it is cannot be told: it stays
            const WString ownerKey = System().FoldCase(side->owner);
            if (files_.count(ownerKey) == 0) {
                // The replacement stopped between its two renames: the old file goes back.
                if (System().MoveToNewName(path, folder_ + side->owner) == 0) {
                    gone.push_back(key);
                    restored.push_back(facts);
                    restored.back().name = side->owner;
                }
                continue;
            }
        }
        if ((facts.attributes & kFileAttributeReadOnly) != 0) {
            System().SetAttributes(path, kFileAttributeNormal);
        }
        if (System().RemoveFile(path) == 0) gone.push_back(key);
    }
    for (const WString& key : gone) files_.erase(key);
    for (FileFacts& facts : restored) {
        Remember(std::move(facts));
    }
}
