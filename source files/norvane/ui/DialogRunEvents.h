#pragma once
// The copy run as the main dialog shows it. The worker thread records the display's values and
// never waits on the dialog for them; it asks the dialog's thread only to show the newest values
// before a box, and to end the run. Boxes are the worker's own, shown on its thread.
#include <windows.h>

#include "norvane/RunEvents.h"

class DialogRunEvents : public RunEvents {
public:
    explicit DialogRunEvents(HWND dialog) : dialog_(dialog) {}

    void ShowNow() override;
    void Tell(const RunMessage& message) override;
    // The user answers in an interactive run; a passive run lets the files wait for the restart.
    InUseAnswer AskFilesInUse(const WString& text) override;
    void Ended(bool complete) override;

private:
    HWND dialog_;
};
