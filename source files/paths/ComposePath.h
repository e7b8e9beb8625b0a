#pragma once
// Composed paths start from AppState::pathBase and land in the fixed 260-unit buffers of
// AppState::pathSlots.
#include <cstdint>

#include "app/AppState.h"
#include "base/WString.h"

// pathBase + the suffix, slashes turned to backslashes, doubled backslashes reduced (a leading
// pair, a network share's prefix, is kept), stored in pathSlots[slot].
const WChar* ComposePath(AppState& state, uint8_t slot, const WString& suffix = WString());
