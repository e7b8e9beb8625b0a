#pragma once
// The sections of a list file as the tool reads them, with the lines they come from, so the dry
// run can tell for each section what became of it.
#include <cstdint>
#include <vector>

#include "base/WString.h"

struct SectionOutline {
    uint32_t headerLine = 0;  // 1-based
    uint32_t keyLine = 0;     // 0 when the file ends first
    WString key;
    WString condition;
    uint8_t action = 0;
    uint32_t actionLine = 0;
};

using ListOutline = std::vector<SectionOutline>;
