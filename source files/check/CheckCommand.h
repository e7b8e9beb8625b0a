#pragma once
// norvane-check: reads a package's "Update.up" as the tool would and prints what it finds, one
// finding a line in the style of a compiler; with --dry-run, also the copies the tool would make
// on this machine. Exit status: 0 no finding, 1 warnings only, 2 any error or a refused run.
#include <vector>

#include "base/WString.h"

int RunCheck(const std::vector<WString>& arguments);
