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
    } cases[] = {
        {0, u"0"},
        {7, u"7"},
        {999, u"999"},
        {1000, u"1,000"},
        {100000, u"100,000"},
        {999999, u"999,999"},
        {1000000, u"1,000,000"},
        {1234567, u"1,234,567"},
        {99999999, u"99,999,999"},
        {4294967296ull, u"4,294,967,296"},
        {UINT64_MAX, u"18,446,744,073,709,551,615"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatByteCount(c.value), c.text) << c.value;
    }
}

TEST(Progress, PercentDividesFirstAndTruncates) {
    const struct {
        uint64_t copied;
        uint64_t total;
        uint64_t percent;
    } cases[] = {
        {29, 100, 28},  // 29 / 100 * 100 lies just below 29 in double precision
        {7, 100, 7},
        {100, 100, 100},
        {1, 3, 33},
        {2, 3, 66},
        {0, 100, 0},
        {6 * kGiB, 6 * kGiB, 100},
        {0, 0, 0},           // not finite
        {5, 0, 0},           // not finite
        {UINT64_MAX, 1, 0},  // does not fit in 64 bits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PercentOf(c.copied, c.total), c.percent) << c.copied << " of " << c.total;
    }
}

TEST(Progress, PercentTextIsRightAlignedInThreePlaces) {
    const struct {
        uint64_t percent;
        WString text;
    } cases[] = {
        {0, u"  0 %"},
        {7, u"  7 %"},
        {28, u" 28 %"},
        {100, u"100 %"},
        {1000, u"1000 %"},
        {0x100000005ull, u"  5 %"},  // only the low 32 bits are shown
        {0xFFFFFFFFull, u" -1 %"},   // and they are read as signed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatPercent(c.percent), c.text) << c.percent;
    }
}

TEST(Progress, FirstReportShowsNothingCopied) {
    auto state = StateWithTotal(123456);
    const ProgressView view = AccountProgress(*state, 0);
    EXPECT_EQ(view.bytesText, u"0");
    EXPECT_EQ(view.barPosition, 0u);
    EXPECT_EQ(view.percentText, u"  0 %");
}

TEST(Progress, ZeroLengthFileChangesNothing) {
    auto state = StateWithTotal(1000);
    AccountProgress(*state, 400);
    state->fileBytesSeen = 0;  // the worker moves on to an empty file
    const ProgressView view = AccountProgress(*state, 0);
    EXPECT_EQ(state->copiedBytes, 400u);
    EXPECT_EQ(view.bytesText, u"400");
    EXPECT_EQ(view.percentText, u" 40 %");
}

TEST(Progress, RunWithFileOfMoreThanFourGiBClimbsSteadilyToTheTotal) {
    const uint64_t sizes[] = {6 * kGiB + 123, 4 * kGiB, 1000};
    uint64_t total = 0;
    for (uint64_t size : sizes) total += size;
    auto state = StateWithTotal(total);

    uint64_t previous = 0;
    uint32_t previousBar = 0;
    for (uint64_t size : sizes) {
        state->fileBytesSeen = 0;
        // Steps that do not divide 2^32, so some report straddles each multiple of it, plus
        // reports exactly at and just after 4 GiB.
        std::vector<uint64_t> reports = {0, 4 * kGiB - 1, 4 * kGiB, 4 * kGiB + 1};
        for (uint64_t now = 0; now < size; now += 97 * 1024 * 1024 + 13) reports.push_back(now);
        reports.push_back(size);
        std::sort(reports.begin(), reports.end());
        for (uint64_t now : reports) {
            if (now > size) continue;
            const ProgressView view = AccountProgress(*state, now);
            ASSERT_GE(state->copiedBytes, previous) << "file of " << size << " at " << now;
            ASSERT_GE(view.barPosition, previousBar);
            ASSERT_LE(view.barPosition, 100u);
            previous = state->copiedBytes;
            previousBar = view.barPosition;
        }
    }
    EXPECT_EQ(state->copiedBytes, total);
    const ProgressView last = AccountProgress(*state, sizes[2]);
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
        const ProgressView view = AccountFileCompleted(*state, size);
        EXPECT_EQ(state->copiedBytes, 1000 + c.copiedAfter);
        EXPECT_EQ(view.bytesText, FormatByteCount(1000 + c.copiedAfter));
        // The next file starts from its own zero and adds to the run.
        state->fileBytesSeen = 0;
        AccountFileCompleted(*state, 10);
        EXPECT_EQ(state->copiedBytes, 1010 + c.copiedAfter);
    }
}

TEST(Progress, CompletedRunWithoutReportsShowsTheTotal) {
    auto state = StateWithTotal(3000);
    ProgressView view{};
    for (int file = 0; file < 3; ++file) {
        state->fileBytesSeen = 0;
        view = AccountFileCompleted(*state, 1000);
    }
    EXPECT_EQ(view.bytesText, u"3,000");
    EXPECT_EQ(view.barPosition, 100u);
    EXPECT_EQ(view.percentText, u"100 %");
}

}  // namespace
