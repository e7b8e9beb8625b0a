#include "paths/MakeFolderTree.h"

#include <algorithm>
#include <iterator>

#include "paths/PathText.h"
#include "platform/SystemServices.h"

namespace {
// Only local drive-letter paths are walked. Two backslashes in a row refuse network shares and
// paths with an empty segment alike; nothing is reduced here.
bool IsRefused(const WString& working) {
    return working.empty() || System().IsRelativePath(working) ||
           working.find(u"\\\\") != WString::npos || System().DriveNumber(working) == -1;
}

// Tests every folder from the top down and creates the missing ones. The search starts at 1, so
// the folder part's leading backslash never ends a prefix and the drive's root is left alone.
void WalkFolders(const PathParts& parts, FolderTreeResult& result) {
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
        if (const uint32_t error = System().MakeDirectory(candidate); error != 0) {
            result.error = error;
            result.folder = candidate;
            return;
        }
        result.made.push_back(candidate);
    }
}
}  // namespace

bool MakeFolderTree(const WString& folderPath) {
    return MakeFolderTreeNoting(folderPath).error == 0;
}

FolderTreeResult MakeFolderTreeNoting(const WString& folderPath) {
    FolderTreeResult result;
    WString working = folderPath.substr(0, folderPath.find(u'\0'));
    std::replace(working.begin(), working.end(), u'/', u'\\');
    AddBackslash(working);
    PathParts parts;
    PathStatus split = SplitPath(working, parts);
    // Too long for the walk: a folder part beyond the split, or a last folder that could not
    // take its backslash, would leave folders untested and uncreated although the walk succeeds.
    if (IsRefused(working) || split != PathStatus::Ok || working.back() != u'\\') {
        result.error = kErrorBadPathname;
        result.folder = working;
        return result;
    }
    WalkFolders(parts, result);
    return result;
}
