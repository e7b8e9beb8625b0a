#pragma once
// The folders the tool works from and the small path services the rest of the tool shares.
// Composed paths live in the fixed 260-unit buffers of AppState.
#include <cstdint>

#include "app/AppState.h"
#include "app/WString.h"
#include "platform/SystemServices.h"

enum class PathStatus { Ok, Truncated, RangeError };

struct PathParts {
    WChar drive[3] = {};
    WChar folder[256] = {};
    WChar name[256] = {};
    WChar extension[256] = {};
};

// Sets AppState::pathBase to the executable's folder (ending in a backslash).
bool ResolveModuleFolder(AppState& state);
// Sets AppState::pathBase to the value "INSTALLDIR" of subKey under root, ending in a backslash.
// A value that is empty or not an absolute path counts as missing; `refusal` then says why.
bool ResolveInstallDir(AppState& state, const WString& subKey, RegistryRoot root,
                       WString* refusal = nullptr);
// Why a value of INSTALLDIR names no destination folder ("is empty", ...); empty when it does.
WString InstallDirRefusal(const WString& value);
// pathBase + the suffix, slashes turned to backslashes, doubled backslashes reduced (a leading
// pair, a network share's prefix, is kept), stored in pathSlots[slot].
const WChar* ComposePath(AppState& state, uint8_t slot, const WString& suffix = WString());
void AddBackslash(WString& text);
PathStatus SplitPath(const WString& path, PathParts& parts);
PathStatus CopyToPathBuffer(WChar (&destination)[kPathUnits], const WString& source);
