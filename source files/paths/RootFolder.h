#pragma once
#include "app/AppState.h"

// Sets AppState::pathBase to the executable's folder (ending in a backslash).
bool ResolveModuleFolder(AppState& state);
