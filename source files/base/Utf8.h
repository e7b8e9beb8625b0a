#pragma once
// UTF-16 to UTF-8 and back: the log's text, and on Linux host file names and test output.
#include <optional>
#include <string>

#include "base/WString.h"

std::string Utf8FromWide(const WString& text);
// Each byte that begins no well-formed sequence reads as U+FFFD.
WString WideFromUtf8(const std::string& text);
// nullopt unless every byte belongs to a well-formed sequence (no overlong forms, surrogates or
// values beyond U+10FFFF): what tells a file saved as UTF-8 from one in an ANSI code page.
std::optional<WString> WideFromWellFormedUtf8(const std::string& text);
