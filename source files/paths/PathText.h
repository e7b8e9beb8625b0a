#pragma once
// The small path services the rest of the tool shares: a trailing backslash, the parts of a
// path, and the bounded copy into a 260-unit buffer.
#include "base/PathLimits.h"
#include "base/WString.h"

enum class PathStatus { Ok, Truncated, RangeError };

struct PathParts {
    WChar drive[3] = {};
    WChar folder[256] = {};
    WChar name[256] = {};
    WChar extension[256] = {};
};

void AddBackslash(WString& text);
PathStatus SplitPath(const WString& path, PathParts& parts);
PathStatus CopyToPathBuffer(WChar (&destination)[kPathUnits], const WString& source);
