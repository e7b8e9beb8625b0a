#pragma once
// The line numbers that the diagnostic reports print beside their source, in one place. They are
// fixed rather than the build's line macro: whoever traces a report on the debugger output reads
// it against the numbers that every version of the tool has printed, which edits of the source
// must not move.
#include "base/WString.h"

// Start-up ("source files\winmain").
constexpr int kMutexFailedLine = 23;
constexpr int kAlreadyRunningLine = 28;
constexpr int kDialogFailedLine = 226;
// The copy ("source files\norvane\norvane").
constexpr int kThreadFailedLine = 188;
constexpr int kFolderFailedLine = 401;
constexpr int kCopyFailedLine = 407;

extern const WChar kStartupSource[];  // "source files\winmain"
extern const WChar kCopySource[];     // "source files\norvane\norvane"
