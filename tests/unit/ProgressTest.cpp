// What the main dialog shows while a run copies: grouped byte counts, the percentage, and the
// running count over files of any size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/AppState.h"
#include "norvane/FormatByteCount.h"
#include "norvane/ProgressAccounting.h"

namespace {
constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

// AppState carries the path buffers; keep test copies off the stack.
std::unique_ptr<AppState> StateWithTotal(uint64_t totalBytes) {
    auto state = std::make_unique<AppState>();
    state->totalBytes = totalBytes;
    return state;
}

TEST(Progress, ByteCountsGroupInThreesFromTheRight) {
    const struct {
        uint64_t value;
        WString text;
    } cases[] = {{0, u"0"},           {999, u"999"},           {1000, u"1,000"},
                 {999999, u"999,999"}, {1234567, u"1,234,567"},
                 {UINT64_MAX, u"18,446,744,073,709,551,615"}};
    for (const auto& c : cases) EXPECT_EQ(FormatByteCount(c.value), c.text) << c.value;
}

TEST(Progress, PercentDividesFirstTruncatesAndShowsTheLow32BitsSigned) {
    const struct {
        uint64_t copied, total, percent;
    } cases[] = {
        {29, 100, 28},  // 29 / 100 * 100 lies just below 29 in double precision
        {58, 200, 28},  // the same below 29; multiplying first would give 29
        {59, 200, 29},
        {2, 3, 66},     {6 * kGiB, 6 * kGiB, 100},
        {5, 0, 0},      {UINT64_MAX, 1, 0},  // not finite; does not fit in 64 bits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PercentOf(c.copied, c.total), c.percent) << c.copied << " of " << c.total;
    }
    const struct {
        uint64_t percent;
        WString text;
    } texts[] = {{7, u"  7 %"}, {100, u"100 %"}, {1000, u"1000 %"}, {0x100000005ull, u"  5 %"},
                 {0xFFFFFFFFull, u" -1 %"}};
    for (const auto& t : texts) EXPECT_EQ(FormatPercent(t.percent), t.text) << t.percent;
}

TEST(Progress, RunWithFileOfMoreThanFourGiBClimbsSteadilyToTheTotal) {
    const uint64_t sizes[] = {6 * kGiB + 123, 4 * kGiB, 1000};
    auto state = StateWithTotal(10 * kGiB + 1123);
    uint64_t previous = 0;
    uint32_t previousBar = 0;
    for (uint64_t size : sizes) {
        state->fileBytesSeen = 0;
        // Steps that do not divide 2^32, so some report straddles each multiple of it, plus
        // reports exactly at and just after 4 GiB.
        std::vector<uint64_t> reports = {0, 4 * kGiB - 1, 4 * kGiB, 4 * kGiB + 1, size};
        for (uint64_t now = 0; now < size; now += 97 * 1024 * 1024 + 13) reports.push_back(now);
        std::sort(reports.begin(), reports.end());
        for (uint64_t now : reports) {
            if (now > size) continue;
            AccountProgress(*state, now);
            const ProgressView view = ProgressViewOf(state->copiedBytes, state->totalBytes);
            ASSERT_GE(state->copiedBytes, previous) << "file of " << size << " at " << now;
            ASSERT_GE(view.barPosition, previousBar);
            ASSERT_LE(view.barPosition, 100u);
            previous = state->copiedBytes;
            previousBar = view.barPosition;
        }
    }
    AccountProgress(*state, sizes[2]);
    const ProgressView last = ProgressViewOf(state->copiedBytes, state->totalBytes);
    EXPECT_EQ(last.bytesText, u"10,737,419,363");
    EXPECT_EQ(last.barPosition, 100u);
    EXPECT_EQ(last.percentText, u"100 %");
}

TEST(Progress, CompletedFileAccountsOnlyWhatWasNotReported) {
    const uint64_t size = 5 * kGiB + 7;
    const struct {
        const char* name;
        std::vector<uint64_t> reports;  // the copy routine's counts before the file completed
        uint64_t copiedAfter;
    } cases[] = {
        {"fully reported", {0, 2 * kGiB, size}, size},
        {"never reported", {}, size},
        {"reported in part", {0, 4 * kGiB + 1}, size},
        {"reported beyond the measured size", {0, size + 50}, size + 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = StateWithTotal(size + 1000);
        state->copiedBytes = 1000;  // an earlier file of the run
        for (uint64_t now : c.reports) AccountProgress(*state, now);
        AccountFileCompleted(*state, size);
        EXPECT_EQ(state->copiedBytes, 1000 + c.copiedAfter);
        // The display is given the run's count.
        CopyDisplay::View view;
        ASSERT_TRUE(state->display.TakeNewer(view));
        EXPECT_EQ(view.copiedBytes, 1000 + c.copiedAfter);
        // The next file starts from its own zero and adds to the run.
        state->fileBytesSeen = 0;
        AccountFileCompleted(*state, 10);
        EXPECT_EQ(state->copiedBytes, 1010 + c.copiedAfter);
    }
}
}  // namespace
