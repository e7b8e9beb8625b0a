// What the main dialog shows while a run copies: grouped byte counts, the percentage, and the
// running count over files of any size.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/AppState.h"
#include "norvane/FormatByteCount.h"
#include "norvane/ProgressAccounting.h"
#include "support/TempFolder.h"

namespace {
constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

TEST(Progress, ByteCountsGroupInThreesFromTheRight) {
    const struct {
        uint64_t value;
        const char* text;
    } cases[] = {{0, "0"},
                 {999, "999"},
                 {1000, "1,000"},
                 {1234567, "1,234,567"},
                 {UINT64_MAX, "18,446,744,073,709,551,615"}};
    for (const auto& c : cases) EXPECT_EQ(Narrow(FormatByteCount(c.value)), c.text);
}

TEST(Progress, PercentDividesFirstTruncatesAndShowsTheLow32BitsSigned) {
    // clang-format off
    const struct {
        uint64_t copied, total, percent;
    } cases[] = {
        {29, 100, 28},  // 29 / 100 * 100 lies just below 29 in double precision
        {58, 200, 28},  // the same below 29; multiplying first would give 29
        {59, 200, 29}, {2, 3, 66}, {6 * kGiB, 6 * kGiB, 100},
        {5, 0, 0}, {UINT64_MAX, 1, 0},  // not finite; does not fit in 64 bits
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(PercentOf(c.copied, c.total), c.percent) << c.copied << " of " << c.total;
    }
    const struct {
        uint64_t percent;
        const char* text;
    } texts[] = {{7, "  7 %"},
                 {100, "100 %"},
                 {1000, "1000 %"},
                 {0x100000005ull, "  5 %"},
                 {0xFFFFFFFFull, " -1 %"}};
    for (const auto& t : texts) EXPECT_EQ(Narrow(FormatPercent(t.percent)), t.text) << t.percent;

    const ProgressView view = ProgressViewOf(1234567, 2469134);
    EXPECT_EQ(Narrow(view.bytesText + u" " + view.percentText), "1,234,567  50 %");
    EXPECT_EQ(view.barPosition, 50u);
}

// A file of 5 GiB after an earlier file of 1000 bytes: each report of the copy routine adds what
// is new, the completed file what was never reported, and the next file starts from its own zero.
TEST(Progress, RunCountTakesEveryByteOnceAcross4GiB) {
    const uint64_t size = 5 * kGiB + 7;
    const struct {
        const char* name;
        std::vector<uint64_t> reports;  // the copy routine's counts before the file completed
        uint64_t copiedAfter;
    } cases[] = {
        {"fully reported", {0, 4 * kGiB - 1, 4 * kGiB, 4 * kGiB + 1, size}, size},
        {"never reported", {}, size},
        {"reported beyond the measured size", {0, size + 50}, size + 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = std::make_unique<AppState>();  // path buffers: kept off the stack
        state->copiedBytes = 1000;
        for (uint64_t now : c.reports) {
            AccountProgress(*state, now);
            EXPECT_EQ(state->copiedBytes, 1000 + now);
        }
        AccountFileCompleted(*state, size);
        EXPECT_EQ(state->copiedBytes, 1000 + c.copiedAfter);
        // The display is given the run's count.
        CopyDisplay::View view;
        ASSERT_TRUE(state->display.TakeNewer(view));
        EXPECT_EQ(view.copiedBytes, 1000 + c.copiedAfter);
        state->fileBytesSeen = 0;
        AccountFileCompleted(*state, 10);
        EXPECT_EQ(state->copiedBytes, 1010 + c.copiedAfter);
    }
}
}  // namespace
