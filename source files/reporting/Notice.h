#pragma once
// Where an interactive run speaks to the user with a box, every run calls Notice: the box shows
// in an interactive run; in an unattended one nothing waits for a click, and the text goes to
// the log. Either way the log has the text, and the run's exit code notes the failure.
#include <cstdint>

#include "reporting/RunLog.h"
#include "app/RunOptions.h"
#include "base/WString.h"

using WindowHandle = void*;

// Exit codes of the unattended runs, those that deployment engines read from installers.
constexpr uint32_t kExitSuccess = 0;
constexpr uint32_t kExitBadCommandLine = 87;
constexpr uint32_t kExitFailure = 1603;
constexpr uint32_t kExitNothingToCopy = 1605;
constexpr uint32_t kExitAlreadyRunning = 1618;
// The log cannot be made, or is refused (a link, a file of several names).
constexpr uint32_t kExitLogFailed = 1622;
// Every file in place, some of them only when Windows restarts.
constexpr uint32_t kExitRestartNeeded = 3010;

struct RunContext {
    RunOptions options;
    RunLog log;
    uint32_t failure = kExitSuccess;  // the exit code of the run's first failure

    // What the process ends with: the outcome's code when any argument was given; 0 on every
    // road of a run started with none, as it always has been.
    uint32_t ExitCode() const { return options.arguments ? failure : kExitSuccess; }
};

// The process's run.
RunContext& CurrentRun();

void Notice(WindowHandle owner, const WString& text, const WChar* caption, uint32_t flags,
            uint32_t exitCode = kExitFailure);
