#pragma once
// The log of an elevated run often lies in a folder where other users can make files. Whoever
// made a link or a second name there first could have the tool append to a file of their
// choosing, so the log is written only into a file of its own: made anew where the name is free,
// else the file there, opened without following a link at the name, and refused when it is a
// link (kErrorStoppedOnSymlink) or has other names too (kErrorTooManyLinks).
#include <windows.h>

#include "base/WString.h"

// 0 and an open handle to append to, or the system's code.
uint32_t OpenLogFile(const WString& path, HANDLE& handle);
