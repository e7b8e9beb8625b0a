#include "reporting/Notice.h"

#include "platform/SystemServices.h"

RunContext& CurrentRun() {
    static RunContext run;
    return run;
}

void Notice(WindowHandle owner, const WString& text, const WChar* caption, uint32_t flags,
            uint32_t exitCode) {
    RunContext& run = CurrentRun();
    if (run.failure == kExitSuccess) run.failure = exitCode;
    const bool shown = !run.options.Unattended();
    run.log.Write(WString(shown ? u"box shown" : u"box not shown (unattended run)") +
                  (caption != nullptr ? u" \"" + WString(caption) + u"\"" : WString()) + u": " +
                  text);
    if (shown) System().ShowMessage(owner, text, caption, flags);
}
