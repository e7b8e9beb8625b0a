#include "norvane/ProgressAccounting.h"

#include <cmath>
#include <cstdio>

#include "norvane/FormatByteCount.h"

namespace {
// 2^64: the first double that no longer fits an unsigned 64-bit value.
constexpr double kTwoTo64 = 18446744073709551616.0;
}  // namespace

ProgressView ProgressViewOf(uint64_t copied, uint64_t total) {
    const uint64_t percent = PercentOf(copied, total);
    return ProgressView{FormatByteCount(copied), static_cast<uint32_t>(percent),
                        FormatPercent(percent)};
}

uint64_t PercentOf(uint64_t copied, uint64_t total) {
    // Dividing first is what the display has always shown: 29 of 100 reads 28.
    const double quotient = static_cast<double>(copied) / static_cast<double>(total);
    const double product = quotient * 100.0;
    if (!std::isfinite(quotient) || !std::isfinite(product) || product < 0.0 ||
        product >= kTwoTo64) {
        return 0;
    }
    return static_cast<uint64_t>(product);
}

WString FormatPercent(uint64_t percent) {
    char buffer[24];
    const int length = std::snprintf(buffer, sizeof(buffer), "%3d %%",
                                     static_cast<int32_t>(static_cast<uint32_t>(percent)));
    return WString(buffer, buffer + (length > 0 ? length : 0));
}

void AccountProgress(AppState& state, uint64_t totalBytesTransferred) {
    // The system's count is taken whole: cutting it to 32 bits would make the run's count drop
    // or wrap each time a file of 4 GiB or more passed a multiple of 2^32.
    const uint64_t delta = totalBytesTransferred - state.fileBytesSeen;
    state.fileBytesSeen = totalBytesTransferred;
    state.copiedBytes += delta;
    state.display.ShowCopiedBytes(state.copiedBytes);
}

void AccountFileCompleted(AppState& state, uint64_t fileSize) {
    // When the copy routine reported more than the size measured beforehand (the file grew),
    // the run's count keeps what was reported rather than going back.
    if (fileSize > state.fileBytesSeen) AccountProgress(state, fileSize);
}
