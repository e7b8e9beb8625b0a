#pragma once
// The checker's command line:
//   norvane-check [--dry-run] [--installdir KEY=FOLDER]... PACKAGE_FOLDER
//   norvane-check --help | --version
#include <vector>

#include "base/WString.h"

struct InstallDirOption {
    WString key;
    WString folder;  // as given
};

struct CheckOptions {
    bool help = false;
    bool version = false;
    bool dryRun = false;
    std::vector<InstallDirOption> installDirs;
    WString packageFolder;
};

struct ParsedOptions {
    bool ok = false;
    CheckOptions options;
    WString error;  // why the command line was refused, when not ok
};

// The arguments after the program's name.
ParsedOptions ParseCheckOptions(const std::vector<WString>& arguments);
