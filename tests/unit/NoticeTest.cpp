// The one road of every box: shown in an interactive run, logged in every run, and noted in the
// exit code of a run given any argument; an unattended one never waits for a click.
#include <gtest/gtest.h>

#include <algorithm>

#include "reporting/Notice.h"
#include "support/RecordingServices.h"

namespace {
TEST(Notice, ShowsTheBoxOnlyWhenSomeoneWatchesAndLogsItAlways) {
    const struct {
        RunMode mode;
        bool arguments;  // any given at all
        size_t boxes;
        const char* logged;
        uint32_t exitCode;
    } rows[] = {
        {RunMode::Interactive, false, 2, "box shown \"File read error\": Failed to load | the name",
         0},
        {RunMode::Interactive, true, 2, "box shown \"File read error\": Failed to load", 1605},
        {RunMode::Passive, true, 0, "box not shown (unattended run) \"File read error\": Failed",
         1605},
        {RunMode::Quiet, true, 0, "box not shown (unattended run) \"File read error\": Failed",
         1605},
    };
    for (const auto& row : rows) {
        TempFolder temp;
        RecordingServices os;
        ScopedSystemOverride inPlace(os);
        RunContext& run = CurrentRun();
        run.options.mode = row.mode;
        run.options.arguments = row.arguments;
        ASSERT_EQ(run.log.Open(temp / u"logs.txt"), 0u);
        // The first failure's code is the run's.
        Notice(nullptr, u"Failed to load\r\n\r\nthe name", u"File read error", kMbTopmost,
               kExitNothingToCopy);
        Notice(nullptr, u"Copy failed.", nullptr, kMbOk);
        EXPECT_EQ(os.messages.size(), row.boxes);
        EXPECT_EQ(run.ExitCode(), row.exitCode);
        const std::string log = temp.ReadFile(u"logs.txt").value_or("");
        EXPECT_NE(log.find(row.logged), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
        run.log.Close();
        run.options = RunOptions();
        run.failure = kExitSuccess;
    }
}
}  // namespace
