#include "driver/WarmMemory.h"

#include <windows.h>

#include <vector>

void WarmFreeMemory(size_t mebibytes) noexcept {
    constexpr size_t kBlock = 64u << 20;
    constexpr size_t kPage = 4096;
    std::vector<void*> blocks;
    blocks.reserve(mebibytes / 64 + 1);
    // All blocks are held until the end, so each touch takes another free page.
    for (size_t taken = 0; taken < (mebibytes << 20); taken += kBlock) {
        auto* block = static_cast<volatile char*>(
            ::VirtualAlloc(nullptr, kBlock, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (block == nullptr) break;
        for (size_t offset = 0; offset < kBlock; offset += kPage) block[offset] = 1;
        blocks.push_back(const_cast<char*>(block));
    }
    for (void* block : blocks) ::VirtualFree(block, 0, MEM_RELEASE);
}
