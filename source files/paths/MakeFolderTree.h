#pragma once
#include "app/WString.h"

// Makes sure that every folder of an absolute drive-letter folder path exists, creating the
// missing ones from the top down. Refuses relative, driveless, UNC and doubled-backslash paths.
bool MakeFolderTree(const WString& folderPath);
