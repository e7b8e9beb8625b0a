#pragma once
// The process's own growable heap: created on first use, never destroyed. Every block comes
// zero-filled; a request for 0 bytes or one the heap cannot meet yields null, silently.
#include <cstddef>
#include <memory>

namespace PrivateHeap {
void* Allocate(size_t bytes) noexcept;
void Free(void* block) noexcept;

struct Deleter {
    void operator()(void* block) const noexcept { Free(block); }
};
}  // namespace PrivateHeap

template <typename T>
using PrivateHeapBlock = std::unique_ptr<T, PrivateHeap::Deleter>;
