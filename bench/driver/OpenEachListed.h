#pragma once
// The floor of any preparation of a list: open each listed source for reading, take its size,
// close it. Nothing less proves every source readable and gives the total to show.
#include <string>

// The list file holds one full path a line, in the ANSI code page. Returns how many of its
// paths could not be opened (0 when all could); throws when the list itself cannot be read.
int OpenEachListed(const std::wstring& listPath);
