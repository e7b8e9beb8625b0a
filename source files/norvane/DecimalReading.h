#pragma once
// How a list line's number (a condition's mode, a section's action) is read: the C library's
// rules that list authors know.
#include <cstddef>
#include <cstdint>

#include "base/WString.h"

struct DecimalReading {
    int32_t value = 0;
    size_t digitsBegin = 0;  // where the digits start: after leading blanks and one sign
    size_t digitsEnd = 0;    // where the first character after them stands

    bool HasDigits() const { return digitsEnd > digitsBegin; }
};

// Optional leading blanks and one sign, then digits up to the first other character. No digits
// read as 0; a number beyond the signed 32-bit range stays at that range's end.
DecimalReading ReadDecimal(const WString& text);
