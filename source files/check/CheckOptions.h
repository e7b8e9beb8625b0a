#pragma once
// The checker's command line:
//   norvane-check [--dry-run] [--installdir KEY=FOLDER]... PACKAGE_FOLDER
//   norvane-check --help | --version
#include <optional>
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

// The ANSI code pages the Windows tool can meet (874, 932, 936, 949, 950, 1250 to 1258), as the
// variable NORVANE_ANSI_CODE_PAGE names one; nullopt for any other text.
std::optional<int> AnsiCodePageNamed(const WString& text);
extern const WChar kAnsiCodePagesText[];  // "874, 932, 936, 949, 950, 1250 to 1258"
