#pragma once
// A product's installation folder, from its registry value "INSTALLDIR".
#include "app/AppState.h"
#include "base/WString.h"
#include "platform/SystemServices.h"

// The name of the registry value that holds a product's installation folder.
inline constexpr WChar kInstallDirValueName[] = u"INSTALLDIR";

// Sets AppState::pathBase to the value "INSTALLDIR" of subKey under root, ending in a backslash.
// A value that is empty or not an absolute path counts as missing; `refusal` then says why.
bool ResolveInstallDir(AppState& state, const WString& subKey, RegistryRoot root,
                       WString* refusal = nullptr);
// Why a value of INSTALLDIR names no destination folder ("is empty", ...); empty when it does.
WString InstallDirRefusal(const WString& value);
