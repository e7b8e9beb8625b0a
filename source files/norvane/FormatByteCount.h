#pragma once
#include <cstdint>

#include "base/WString.h"

// A byte count in decimal with "," between groups of three digits, whatever the user's locale.
WString FormatByteCount(uint64_t value);
