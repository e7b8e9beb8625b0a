#pragma once
// A list file's bytes, read whole as the tool reads them.
#include <optional>
#include <string>

#include "base/WString.h"

// The whole file at a Windows-form path; nullopt when it is no file or cannot be read.
std::optional<std::string> ReadWholeFile(const WString& path);
