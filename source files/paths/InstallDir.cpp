#include <algorithm>

#include "paths/PathBase.h"
#include "paths/PathServices.h"

bool ResolveInstallDir(AppState& state, const WString& subKey, RegistryRoot root) {
    ClearPathFields(state);
    std::optional<WString> value = System().ReadRegistryString(root, subKey, u"INSTALLDIR");
    if (!value) return false;
    // The value's type is not examined: its data is text up to the first zero unit, so only the
    // first of several strings counts and environment references stay literal. Data that fills
    // the whole 520-byte buffer has no terminator; it is read as those 260 units and no further.
    size_t length = std::min({value->find(u'\0'), value->size(), static_cast<size_t>(kPathUnits)});
    SetPathBase(state, value->substr(0, length));
    return true;
}
