#pragma once
// Every path, name and message of the tool is a string of UTF-16 code units, on every platform,
// so lengths and limits (1023, 259, 260) count the same units everywhere.
#include <cstdint>
#include <string>
#include <type_traits>

using WString = std::u16string;
using WChar = char16_t;

// A number in decimal digits, as the reports, messages and findings print counts and line
// numbers: the one formatter of the tool, for every integer type.
template <typename Integer>
WString DecimalText(Integer value) {
    static_assert(std::is_integral_v<Integer>, "a whole number");
    const std::string digits = std::to_string(value);
    return WString(digits.begin(), digits.end());
}

// Text in double quotes, as the log and the checker's findings show a value of the list.
inline WString Quoted(const WString& text) {
    return u"\"" + text + u"\"";
}
