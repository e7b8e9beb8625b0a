#pragma once
// A list file, found and read whole as the tool finds and reads it.
#include <optional>
#include <string>

#include "base/WString.h"

// The list of a Windows-form package folder as Windows finds "Update.up": whatever its letter
// case. nullopt when there is none.
std::optional<WString> ListFileIn(const WString& packageFolder);

// The whole file at a Windows-form path; nullopt when it is no file or cannot be read.
std::optional<std::string> ReadWholeFile(const WString& path);
