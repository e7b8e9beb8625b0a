#pragma once
// Files listed twice into the same place: twice in one section, or in two sections of the same
// registry key and condition, which apply together. The tool copies such a file twice.
#include <map>
#include <optional>

#include "base/WString.h"
#include "check/ListOutline.h"

class DoubleListings {
public:
    // The sections read so far, the last being the one whose file lines follow.
    void StartSection() { inSection_.clear(); }

    // The finding for a file line of the last section of `outline`, if it doubles an earlier one.
    std::optional<WString> Listed(const WString& item, uint32_t line, const ListOutline& outline);

private:
    struct Place {
        uint32_t line;
        size_t section;
    };
    std::map<WString, uint32_t> inSection_;  // 0 once told
    std::map<WString, Place> destinations_;
};
