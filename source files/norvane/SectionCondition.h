#pragma once
// Whether a section still applies after its condition line, given the destination folder that
// its registry line found.
#include "base/WString.h"

// The condition line is "None", or a mode and names separated by ",". Mode 0: applies when any
// name exists in the folder. Any other mode: applies only when every name exists.
bool ConditionHolds(const WString& destFolder, const WString& conditionText);
