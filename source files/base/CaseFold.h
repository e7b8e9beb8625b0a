#pragma once
// Letter case as Windows compares file names and registry keys, for the letters of the code pages
// lists are written in: ASCII and Latin-1. The one case fold of the tool's own comparisons (the
// copy run's keys come from the system's own fold, SystemServices::FoldCase).
#include "base/WString.h"

// Folded to small letters.
WChar FoldedUnit(WChar unit);
WString CaseFolded(WString text);
bool SameIgnoringCase(const WString& a, const WString& b);
