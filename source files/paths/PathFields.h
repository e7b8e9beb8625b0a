#pragma once
// The two AppState fields that composed paths start from and land in: pathBase and pathSlots.
#include "app/AppState.h"
#include "base/WString.h"

// The text of a path buffer up to its first zero unit, never reading past the buffer.
WString PathBufferText(const WChar (&buffer)[kPathUnits]);

// Both resolvers clear pathBase and every slot first, so a failed lookup leaves nothing behind.
void ClearPathFields(AppState& state);

// Stores a folder as pathBase, ending in a backslash as far as the buffer allows.
void SetPathBase(AppState& state, WString folder);
