#pragma once
// UTF-16 to UTF-8 and back: the log's text, and on Linux host file names and test output.
#include <string>

#include "base/WString.h"

std::string Utf8FromWide(const WString& text);
WString WideFromUtf8(const std::string& text);
