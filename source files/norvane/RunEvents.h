#pragma once
// What a copy run tells whoever started it, and the one thing it asks. The dialog and the quiet
// run each implement it, and the tests record it; the run itself never calls a window, so it
// needs no window to exist.
#include <cstdint>

#include "reporting/Notice.h"
#include "base/WString.h"

// A box of the run, with what goes to the debugger output beside it.
struct RunMessage {
    WString text;
    const WChar* caption = nullptr;  // null: the system's default caption
    uint32_t flags = 0;
    bool ownedByDialog = false;  // else a box of its own, with no owner
    WString debugReport;         // empty: nothing for the debugger
    uint32_t exitCode = kExitFailure;
};

enum class InUseAnswer { Cancel, TryAgain, Continue };

class RunEvents {
public:
    virtual ~RunEvents() = default;
    // What the run's display record holds is to be on the screen now: a box follows.
    virtual void ShowNow() = 0;
    virtual void Tell(const RunMessage& message) = 0;
    // Before anything is replaced, when programs still hold files to replace: `text` names the
    // files and their programs. Try Again checks them again, Continue replaces them when
    // Windows restarts, Cancel stops the run with nothing changed.
    virtual InUseAnswer AskFilesInUse(const WString& text) = 0;
    // The run is over: `complete` when every file is in place (some perhaps at the restart).
    virtual void Ended(bool complete) = 0;
};

// Shows a run's box through the notice road, owned by `dialog` where the message asks for it.
void DeliverRunMessage(const RunMessage& message, WindowHandle dialog);
