#pragma once
// What the tool makes of the list file's bytes and lines before any line is read for its meaning:
// the encoding, line ends it does not know, lines longer than it keeps. The bytes are ANSI text
// (norvane/ListEncoding.h): no UTF-16, no NUL byte.
#include <string>

#include "base/WString.h"
#include "check/Finding.h"

// `bytes` are the whole file; the code page comes from System() and the checker's host.
Findings FileTraps(const std::string& bytes);
