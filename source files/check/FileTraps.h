#pragma once
// What the tool makes of the list file's bytes and lines before any line is read for its meaning:
// the encoding, NUL bytes, line ends it does not know, lines longer than it keeps.
#include <string>

#include "base/WString.h"
#include "check/Finding.h"

// `bytes` are the whole file; the code page comes from System() and the checker's host.
Findings FileTraps(const std::string& bytes);
