#pragma once
// How a list line's number (a condition's mode, a section's action) is read: the C library's
// rules that list authors know.
#include <cstdint>

#include "base/WString.h"

// Optional leading blanks and one sign, then digits up to the first other character. No digits
// read as 0; a number beyond the signed 32-bit range stays at that range's end.
int32_t ReadDecimal(const WString& text);
