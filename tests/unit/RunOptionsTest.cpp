// The command line as deployment engines and administrators write it.
#include <gtest/gtest.h>

#include "app/RunOptions.h"
#include "support/TempFolder.h"

namespace {
std::string Read(const RunOptions& options) {
    const char* modes[] = {"interactive", "passive", "quiet"};
    std::string read = modes[static_cast<int>(options.mode)];
    if (!options.logPath.empty()) read += " log " + Narrow(options.logPath);
    if (options.help) read += " help";
    if (options.verify) read += " verify";
    if (!options.refusal.empty()) {
        read += " refused " + Narrow(options.refusedArgument) + ": " + Narrow(options.refusal);
    }
    return read;
}

TEST(RunOptions, SwitchesAreReadAndEverythingElseRefused) {
    const WString long32k(32000, u'x');
    const struct {
        std::vector<WString> arguments;
        std::string read;
    } rows[] = {
        {{}, "interactive"},
        {{u"/quiet"}, "quiet"},
        {{u"-PASSIVE"}, "passive"},
        {{u"/passive", u"/Quiet"}, "quiet"},  // the quieter wins
        {{u"/log", u"C:\\My Logs\\run.log", u"/passive"}, "passive log C:\\My Logs\\run.log"},
        {{u"/log=C:\\a.log"}, "interactive log C:\\a.log"},
        {{u"-LOG:C:\\a.log", u"/quiet"}, "quiet log C:\\a.log"},
        {{u"/?"}, "interactive help"},
        // An administrator's habit from other installers: taken, and nothing to do.
        {{u"/norestart", u"/quiet"}, "quiet"},
        {{u"/VERIFY", u"/quiet"}, "quiet verify"},
        {{u"/log", u"/verify"}, "interactive verify refused /log: A file name must follow /log."},
        // A switch of other installers that this one does not have.
        {{u"/silent"}, "interactive refused /silent: This argument is not known."},
        {{u"/log"}, "interactive refused /log: A file name must follow /log."},
        {{u"/log", u"/quiet"}, "quiet refused /log: A file name must follow /log."},
        {{u"/log=", u"/quiet"}, "quiet refused /log=: A file name must follow /log."},
        {{u"/log", u"a.log", u"/log", u"b.log"},
         "interactive log a.log refused /log: The log file is given twice."},
        // A mistyped switch before /quiet: the run still shows nothing.
        {{u"/quite", u"/quiet"}, "quiet refused /quite: This argument is not known."},
        {{u"/passive", u"Update.up"}, "passive refused Update.up: This argument is not known."},
        {{u"\"/quiet\""}, "interactive refused \"/quiet\": This argument is not known."},
        {{u"/quiet", long32k},
         "quiet refused " + std::string(100, 'x') + "?: This argument is not known."},
    };
    for (const auto& row : rows) {
        const RunOptions options = ReadRunOptions(row.arguments);
        EXPECT_EQ(Read(options), row.read);
        // Any argument makes the exit code tell the outcome.
        EXPECT_EQ(options.arguments, !row.arguments.empty());
    }
}
}  // namespace
