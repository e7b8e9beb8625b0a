// The log of an elevated run, through the system's own services (natively and under Wine): it
// is written only into a file of its own, so a name that someone turned to another file beforehand
// leaves that file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "reporting/RunLog.h"
#include "support/FileLinks.h"
#include "support/TempFolder.h"

namespace {
enum class AtTheName { Nothing, PlainLog, HardLink, Link, LinkToNothing };

TEST(RunLog, WritesOnlyIntoAFileOfItsOwn) {
    const struct {
        const char* name;
        AtTheName before;
        uint32_t error;
        std::optional<std::string> logStart;  // what the log holds before its first line
    } rows[] = {
        {"no file: a new log", AtTheName::Nothing, 0, ""},
        {"a log of an earlier run: appended to", AtTheName::PlainLog, 0, "earlier\r\n"},
        {"a second name of another file", AtTheName::HardLink, kErrorTooManyLinks, std::nullopt},
        {"a link to another file", AtTheName::Link, kErrorStoppedOnSymlink, std::nullopt},
        {"a link to nothing", AtTheName::LinkToNothing, kErrorStoppedOnSymlink, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder temp;
        const WString path = temp / u"run.log";
        const std::filesystem::path log = temp.Host(u"run.log"), other = temp.Host(u"other.txt");
        temp.WriteFile(u"other.txt", "not the tool's");
        if (row.before == AtTheName::PlainLog) temp.WriteFile(u"run.log", "earlier\r\n");
        if (row.before == AtTheName::HardLink) std::filesystem::create_hard_link(other, log);
        const bool link = row.before == AtTheName::Link || row.before == AtTheName::LinkToNothing;
        if (link && !MakeFileSymlink(other, log)) {
            std::printf("(row left out) %s: this system makes no symbolic link\n", row.name);
            continue;
        }
        if (row.before == AtTheName::LinkToNothing) std::filesystem::remove(other);

        RunLog runLog;
        EXPECT_EQ(runLog.Open(path), row.error);
        runLog.Write(u"the line");
        runLog.Close();

        const std::optional<std::string> written = temp.ReadFile(u"run.log");
        if (row.logStart) {
            ASSERT_TRUE(written.has_value());
            EXPECT_EQ(written->substr(0, row.logStart->size()), *row.logStart);
            EXPECT_EQ(written->substr(written->size() - 10), "the line\r\n");
        }
        if (row.before == AtTheName::LinkToNothing) {
            EXPECT_FALSE(std::filesystem::exists(other)) << "made where the link leads";
            temp.WriteFile(u"other.txt", "not the tool's");
        }
        EXPECT_EQ(temp.ReadFile(u"other.txt"), "not the tool's");
        if (link) RemoveFileSymlink(log);
    }
}
}  // namespace
