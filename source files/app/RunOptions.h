#pragma once
// How the tool was asked to run, read once from its command line at start-up. Switches start
// with "/" or "-" and are read without regard to letter case:
//   /quiet       no window at all: the copy starts by itself once prepared, and the tool ends
//                when it ends
//   /passive     the dialogs as in an interactive run, but the copy starts by itself and no box
//                waits for a click; the tool ends by itself
//   /log FILE    a UTF-8 log of the run, appended to FILE (also /log=FILE or /log:FILE)
//   /verify      is the update in place? the preparation, then each file compared with its
//                destination; nothing is written
//   /norestart   taken and does nothing: the tool never restarts Windows, so administrators'
//                habit of adding it to every installer's command line does no harm
//   /?           the switches
// /quiet and /passive together run quiet: the quieter wins. Anything else on the command line
// is refused before anything is read or copied.
#include <vector>

#include "base/WString.h"

enum class RunMode { Interactive, Passive, Quiet };

struct RunOptions {
    RunMode mode = RunMode::Interactive;
    WString logPath;  // empty: no log
    bool help = false;
    bool verify = false;
    // Any argument at all: the exit code then tells the outcome. A run with none keeps 0 on every
    // road, as callers of earlier versions rely on.
    bool arguments = false;
    // The argument that could not be taken (cut to a readable length), and why; empty when
    // every argument was taken.
    WString refusedArgument;
    WString refusal;

    bool Unattended() const { return mode != RunMode::Interactive; }
};

// The arguments after the program's name, as the system splits the command line.
RunOptions ReadRunOptions(const std::vector<WString>& arguments);

// What /? shows.
extern const WChar kRunOptionsHelp[];
