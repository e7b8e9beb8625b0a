#pragma once
// One run of the tool as a user meets it, timed: started from its package folder, its main
// dialog awaited (the preparation, process start included), Start pressed, the status line
// awaited until it reads "Copy complete!" (the run), Exit pressed and the process's end awaited.
// A message box of the tool ends the figure with the box's text; every wait is bounded.
#include <functional>
#include <string>

struct ToolTimes {
    double prepareMs = 0;  // from process creation to the visible main dialog
    double runMs = 0;      // from the press of Start to "Copy complete!"
};

// With copy false, Exit is pressed as soon as the main dialog shows (nothing is copied, and
// nothing is opened). beforeClock runs right before each clock starts. Throws
// std::runtime_error with what went wrong.
ToolTimes TimeTool(const std::wstring& packageFolder, bool copy,
                   const std::function<void()>& beforeClock);
