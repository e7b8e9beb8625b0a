#pragma once
// /verify: is the update in place? After the same preparation as a copy, each file of the
// sections that apply is compared with its destination, byte for byte; nothing is written. The
// log names every file that is not in place; the verdict is a box (the log in an unattended run)
// and the exit code: 0 when every file is in place, 1 when any is not.
#include <cstdint>

#include "app/AppState.h"

constexpr uint32_t kExitNotInPlace = 1;

// Compares and tells the verdict; true when every file is in place.
bool VerifyInstallation(AppState& state);
