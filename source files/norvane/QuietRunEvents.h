#pragma once
// The run with no window at all (/quiet): boxes go to the log, files in use are replaced at the
// next restart, since no one is there to close their programs.
#include "norvane/RunEvents.h"

class QuietRunEvents : public RunEvents {
public:
    void ShowNow() override {}
    void Tell(const RunMessage& message) override { DeliverRunMessage(message, nullptr); }
    InUseAnswer AskFilesInUse(const WString&) override { return InUseAnswer::Continue; }
    void Ended(bool) override {}
};
