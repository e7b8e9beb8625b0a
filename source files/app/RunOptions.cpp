#include "app/RunOptions.h"

#include <algorithm>

#include "base/CaseFold.h"

const WChar kRunOptionsHelp[] =
    u"Norvane [/quiet | /passive] [/verify] [/log FILE] [/norestart]\r\n\r\n"
    u"/quiet\tno window: the copy starts by itself and the tool ends when it ends\r\n"
    u"/passive\tthe progress shows, the copy starts by itself, no box waits for a click\r\n"
    u"/verify\twhether the update is in place: each file compared, nothing written\r\n"
    u"/log FILE\tappends a log of the run to FILE (UTF-8)\r\n"
    u"/norestart\taccepted; the tool never restarts Windows\r\n"
    u"/?\tthis text\r\n\r\n"
    u"Exit codes when any switch is given: 0 every file copied, 3010 some files are replaced "
    u"when Windows restarts, 1605 nothing to copy on this machine, 1618 another instance is "
    u"running, 1603 any other failure (nothing changed), 87 a bad command line, 1622 the log "
    u"cannot be made. With /verify: 0 in place, 1 not in place.";

namespace {
constexpr size_t kShownArgumentUnits = 100;

// An argument as a refusal names it: whole unless it is very long.
WString Shown(const WString& argument) {
    if (argument.size() <= kShownArgumentUnits) return argument;
    return argument.substr(0, kShownArgumentUnits) + u"\u2026";
}

// The name of a switch, letter case folded; empty for an argument that is none.
WString SwitchName(const WString& argument) {
    const bool isSwitch = !argument.empty() && (argument[0] == u'/' || argument[0] == u'-');
    return isSwitch ? CaseFolded(argument.substr(1)) : WString();
}

// Whether an argument is one of the switches, so that "/log /quiet" is not a log named "/quiet".
bool IsSwitch(const WString& argument) {
    const WString name = SwitchName(argument);
    return name == u"quiet" || name == u"passive" || name == u"?" || name == u"verify" ||
           name == u"norestart" || name.compare(0, 3, u"log") == 0;
}

// The first refusal counts; the rest of the line is still read, so that a /quiet after a
// mistyped switch keeps the run from showing anything.
void Refuse(RunOptions& options, const WString& argument, const WString& why) {
    if (!options.refusal.empty()) return;
    options.refusedArgument = Shown(argument);
    options.refusal = why;
}
}  // namespace

RunOptions ReadRunOptions(const std::vector<WString>& arguments) {
    RunOptions options;
    options.arguments = !arguments.empty();
    bool quiet = false, passive = false, logGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const WString& argument = arguments[i];
        const WString name = SwitchName(argument);
        if (name == u"quiet") {
            quiet = true;
        } else if (name == u"passive") {
            passive = true;
        } else if (name == u"?") {
            options.help = true;
        } else if (name == u"verify") {
            options.verify = true;
        } else if (name == u"norestart") {
            // Nothing to do: the tool never restarts Windows.
        } else if (name.compare(0, 3, u"log") == 0 &&
                   (name.size() == 3 || name[3] == u'=' || name[3] == u':')) {
            WString path = argument.substr(std::min<size_t>(argument.size(), 5));
            if (name.size() == 3 && i + 1 < arguments.size() && !IsSwitch(arguments[i + 1])) {
                path = arguments[++i];
            }
            if (logGiven) {
                Refuse(options, argument, u"The log file is given twice.");
            } else if (path.empty()) {
                Refuse(options, argument, u"A file name must follow /log.");
            }
            logGiven = true;
            if (options.logPath.empty()) options.logPath = path;
        } else {
            Refuse(options, argument, u"This argument is not known.");
        }
    }
    options.mode = quiet ? RunMode::Quiet : passive ? RunMode::Passive : RunMode::Interactive;
    return options;
}
