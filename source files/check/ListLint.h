#pragma once
// Reads a list file the way the tool does, through the tool's own text model and list rules, and
// tells where the tool would stop, fail, or silently do something else than its author meant.
// It needs no registry: every section is checked, whether it would apply or not.
#include <string>

#include "base/WString.h"
#include "check/Finding.h"
#include "check/ListOutline.h"
#include "paths/WindowsNames.h"

struct LintResult {
    Findings findings;  // in line order
    ListOutline outline;
};

// `bytes` are the whole file; `rootFolder` is the folder the tool would run from, ending in a
// backslash. The code page, the file system and the system's error texts come from System().
LintResult LintList(const std::string& bytes, const WString& rootFolder);

// A file line whose name Windows refuses: the tool's copy run stops at it before it copies
// anything. The same words in the check and in the dry run.
WString RefusedFileNameText(const WString& item, const NameFault& fault);
