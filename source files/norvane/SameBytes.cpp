#include "norvane/SameBytes.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kChunk = 1u << 20;
}

bool SameBytes(SystemFile& first, SystemFile& second, uint64_t expectedSize,
               std::vector<uint8_t>& buffer) {
    buffer.resize(2 * static_cast<size_t>(kChunk));
    uint8_t* const a = buffer.data();
    uint8_t* const b = a + kChunk;
    for (uint64_t done = 0;;) {
        // One unit more than is left: a read that comes back short has met the file's end.
        const uint64_t left = expectedSize > done ? expectedSize - done : 0;
        const auto wanted = static_cast<uint32_t>(std::min<uint64_t>(kChunk, left + 1));
        uint32_t gotA = 0, gotB = 0;
        if (first.Read(a, wanted, gotA) != 0 || second.Read(b, wanted, gotB) != 0) return false;
        if (gotA != gotB || std::memcmp(a, b, gotA) != 0) return false;
        if (gotA < wanted) return true;
        done += gotA;
    }
}
