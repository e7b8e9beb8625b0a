#pragma once
// The Windows path limit, counted in UTF-16 units the same on every platform.
constexpr int kPathUnits = 260;  // MAX_PATH, terminator included
