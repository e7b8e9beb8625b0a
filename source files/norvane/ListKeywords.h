#pragma once
// The words of the list file that its readers compare with, written once for the tool and the
// checker alike.
#include <cstddef>
#include <cstdint>

#include "base/WString.h"

// A section header: exactly this, spelled so, as the whole first item.
inline constexpr WChar kSectionHeader[] = u"[SetParamter]";
// A condition line that leaves the section applying.
inline constexpr WChar kNoCondition[] = u"None";
// What a source line must hold; its first seven characters are dropped, whatever they are.
inline constexpr WChar kRootMarker[] = u"%Root%\\";
inline constexpr size_t kRootMarkerLength = sizeof(kRootMarker) / sizeof(WChar) - 1;

// The actions of a section, compared as the 8-bit value the list's action is kept in: stop with
// the message line when the section does not apply; read no section after it when it applies.
inline constexpr uint8_t kActionStopUnlessApplies = 1;
inline constexpr uint8_t kActionLastIfApplies = 2;
