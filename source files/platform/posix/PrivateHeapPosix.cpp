#include <cstdlib>

#include "base/PrivateHeap.h"

void* PrivateHeap::Allocate(size_t bytes) noexcept {
    return bytes == 0 ? nullptr : std::calloc(1, bytes);
}

void PrivateHeap::Free(void* block) noexcept {
    std::free(block);
}
