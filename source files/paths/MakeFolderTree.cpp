#include "paths/MakeFolderTree.h"

#include <algorithm>
#include <iterator>

#include "paths/PathServices.h"

namespace {
// Only local drive-letter paths are walked. Two backslashes in a row refuse network shares and
// paths with an empty segment alike; nothing is reduced here.
bool IsRefused(const WString& working) {
    return working.empty() || System().IsRelativePath(working) ||
           working.find(u"\\\\") != WString::npos || System().DriveNumber(working) == -1;
}

// Tests every folder from the top down and creates the missing ones. The search starts at 1, so
// the folder part's leading backslash never ends a prefix and the drive's root is left alone.
bool WalkFolders(const PathParts& parts) {
    const WString folder = parts.folder;
    for (size_t position = 1; position < folder.size();) {
        size_t backslash = folder.find(u'\\', position);
        if (backslash == WString::npos) break;
        position = backslash + 1;
        // MAX_PATH and a terminator, the room the shell's append may use.
        WChar buffer[kPathUnits + 1] = {};
        std::copy(std::begin(parts.drive), std::end(parts.drive), buffer);
        System().AppendPath(buffer, folder.substr(0, position));
        buffer[kPathUnits] = u'\0';
        WString candidate(buffer);
        if (System().IsDirectory(candidate)) continue;
        if (!System().MakeDirectory(candidate)) return false;
    }
    return true;
}
}  // namespace

bool MakeFolderTree(const WString& folderPath) {
    WString working = folderPath.substr(0, folderPath.find(u'\0'));
    std::replace(working.begin(), working.end(), u'/', u'\\');
    AddBackslash(working);
    PathParts parts;
    PathStatus split = SplitPath(working, parts);
    if (IsRefused(working)) return false;
    // Too long for the walk: a folder part beyond the split, or a last folder that could not
    // take its backslash, would leave folders untested and uncreated although the walk succeeds.
    if (split != PathStatus::Ok || working.back() != u'\\') return false;
    return WalkFolders(parts);
}
