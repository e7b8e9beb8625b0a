#pragma once
#include <cstdint>
#include <vector>

#include "base/WString.h"

// Makes sure that every folder of an absolute drive-letter folder path exists, creating the
// missing ones from the top down. Refuses relative, driveless, UNC and doubled-backslash paths.
bool MakeFolderTree(const WString& folderPath);

// The same walk, telling what it did: the folders it created, top down (they stay when a later
// one fails), and where it stopped.
struct FolderTreeResult {
    uint32_t error = 0;  // 0 when every folder exists; the system's code, or a bad path's
    WString folder;      // the folder that could not be made, or the path that was refused
    std::vector<WString> made;
};
FolderTreeResult MakeFolderTreeNoting(const WString& folderPath);
