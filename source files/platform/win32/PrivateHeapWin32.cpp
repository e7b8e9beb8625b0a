#include "base/PrivateHeap.h"

#include <windows.h>

namespace {
HANDLE Heap() noexcept {
    static HANDLE heap = ::HeapCreate(0, 1024, 0);
    return heap;
}
}  // namespace

void* PrivateHeap::Allocate(size_t bytes) noexcept {
    if (bytes == 0 || Heap() == nullptr) {
        return nullptr;
    }
    return ::HeapAlloc(Heap(), HEAP_ZERO_MEMORY, bytes);
}

void PrivateHeap::Free(void* block) noexcept {
    if (block != nullptr && Heap() != nullptr) {
        ::HeapFree(Heap(), 0, block);
    }
}
