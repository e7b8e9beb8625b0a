#pragma once
// A virtual machine may hand the memory its guest frees back to the host (free page reporting,
// a couple of seconds after the free). The next first touch of such a page costs kernel time:
// 1.7 s a GiB on the machine this was written on, so a 1 GiB copy took 0.2 s or 2 s at random.
// Touching and freeing a block of memory right before a clock starts gives every program the
// same warm free pages to take.
#include <cstddef>

// Commits, touches and releases up to this much memory (less where the address space runs out,
// as in a 32-bit process).
void WarmFreeMemory(size_t mebibytes) noexcept;
