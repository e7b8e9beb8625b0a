#pragma once
// Whether two files hold the same bytes: both read from where they stand to their ends, stopping
// at the first difference, so files that differ (most changed files do in their first block)
// cost little. A read the system refuses counts as a difference.
#include <cstdint>
#include <vector>

#include "platform/SystemServices.h"

// `expectedSize` is what both are thought to hold; it only sizes the reads (a small file takes
// one read each), the bytes decide. `buffer` is reused from call to call.
bool SameBytes(SystemFile& first, SystemFile& second, uint64_t expectedSize,
               std::vector<uint8_t>& buffer);
