// /verify and the log's first lines: what an administrator's detection script and compliance
// report read.
#include <gtest/gtest.h>

#include <memory>

#include "reporting/Notice.h"
#include "norvane/RunLogLines.h"
#include "norvane/VerifyRun.h"
#include "support/RecordingServices.h"

namespace {
TEST(Verify, EveryFileComparedByteForByteAndNothingWritten) {
    const struct {
        const char* name;
        std::optional<std::string> there;  // the second file's destination
        bool inPlace;
        const char* box;
    } rows[] = {
        {"in place", "two!", true, "The update is in place: all 2 files match."},
        {"one byte other", "two?", false,
         "The update is not in place: 1 of 2 files differ or are missing:\r\n$dst\\b.dat "
         "(differs)"},
        {"missing", std::nullopt, false,
         "The update is not in place: 1 of 2 files differ or are missing:\r\n$dst\\b.dat "
         "(missing)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder temp;
        temp.WriteFile(u"pkg\\a.dat", "one");
        temp.WriteFile(u"pkg\\b.dat", "two!");
        temp.WriteFile(u"dst\\a.dat", "one");
        if (row.there) temp.WriteFile(u"dst\\b.dat", *row.there);
        RecordingServices os;
        ScopedSystemOverride inPlace(os);
        auto state = std::make_unique<AppState>();
        for (const WString name : {u"a.dat", u"b.dat"})
            state->CopyList.push_back({name, temp / u"pkg\\", temp / u"dst\\", 0, nullptr});
        CurrentRun().options.arguments = true;
        EXPECT_EQ(VerifyInstallation(*state), row.inPlace);
        ASSERT_EQ(os.messages.size(), 1u);
        std::string box = Narrow(os.messages[0].text);
        for (size_t at; (at = box.find(Narrow(temp / u"dst"))) != std::string::npos;)
            box.replace(at, temp.Path().size() + 3, "$dst");
        EXPECT_EQ(box, row.box);
        EXPECT_EQ(CurrentRun().ExitCode(), row.inPlace ? kExitSuccess : kExitNotInPlace);
        EXPECT_EQ(temp.ReadFile(u"dst\\b.dat"), row.there);
        CurrentRun().options = RunOptions();
        CurrentRun().failure = kExitSuccess;
    }
}

TEST(RunLog, TheFirstLinesNameTheAccountAndWhatSystemMeansForPerUserProducts) {
    for (const bool system : {false, true}) {
        const RunIdentity identity{u"NT AUTHORITY\\SYSTEM", u"PC-17", true, system, 4242};
        const std::vector<WString> lines =
            RunStartLines(u"1.0.0", u"0123456789ab", u"C:\\pkg\\Norvane.exe", identity,
                          u"C:\\Windows\\Logs\\run.log");
        ASSERT_EQ(lines.size(), system ? 3u : 2u);
        EXPECT_EQ(Narrow(lines[0]),
                  "==== Norvane 1.0.0 (commit 0123456789ab) starts: C:\\pkg\\Norvane.exe");
        EXPECT_EQ(Narrow(lines[1]),
                  "account NT AUTHORITY\\SYSTEM on PC-17, elevated; log "
                  "C:\\Windows\\Logs\\run.log");
        if (system) {
            EXPECT_NE(Narrow(lines[2]).find("HKEY_CURRENT_USER is that account's own"),
                      std::string::npos);
        }
    }
}
}  // namespace
