#pragma once
// Every path, name and message of the tool is a string of UTF-16 code units, on every platform,
// so lengths and limits (1023, 259, 260) count the same units everywhere.
#include <cstdint>
#include <string>

using WString = std::u16string;
using WChar = char16_t;

// A number in decimal digits, as the reports and messages print counts and line numbers.
inline WString DecimalText(int64_t value) {
    std::string digits = std::to_string(value);
    return WString(digits.begin(), digits.end());
}
