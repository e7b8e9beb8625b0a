#pragma once
// The driver prints UTF-8, one "name value" figure a line, for the script to read.
#include <cstddef>
#include <string>

std::string ToUtf8(const std::wstring& text);
void PrintFigure(const char* name, double milliseconds);
void PrintCount(const char* name, size_t count);
