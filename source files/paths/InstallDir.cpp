#include <algorithm>

#include "paths/PathFields.h"
#include "paths/InstallDir.h"

namespace {
bool IsSeparator(WChar unit) {
    return unit == u'\\' || unit == u'/';
}

bool IsLetter(WChar unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}
}  // namespace

WString InstallDirRefusal(const WString& value) {
    if (value.empty()) return u"is empty";
    // A drive letter and a separator, or a network share: anything else would be taken from
    // whatever the working folder happens to be (under a startup script, the system folder).
    const bool drive =
        value.size() >= 3 && IsLetter(value[0]) && value[1] == u':' && IsSeparator(value[2]);
    const bool share = value.size() >= 3 && IsSeparator(value[0]) && IsSeparator(value[1]) &&
                       !IsSeparator(value[2]);
    if (drive || share) return WString();
    return u"is not an absolute path (\"" + value + u"\")";
}

bool ResolveInstallDir(AppState& state, const WString& subKey, RegistryRoot root,
                       WString* refusal) {
    ClearPathFields(state);
    std::optional<WString> value = System().ReadRegistryString(root, subKey, kInstallDirValueName);
    if (!value) return false;
    // The value's type is not examined: its data is text up to the first zero unit, so only the
    // first of several strings counts. Data that fills the whole 520-byte buffer has no
    // terminator; it is read as those 260 units and no further.
    size_t length = std::min({value->find(u'\0'), value->size(), static_cast<size_t>(kPathUnits)});
    const WString folder = value->substr(0, length);
    // A value that names no folder of its own is no destination: handled as a missing one.
    const WString why = InstallDirRefusal(folder);
    if (!why.empty()) {
        if (refusal != nullptr) *refusal = why;
        return false;
    }
    SetPathBase(state, folder);
    return true;
}
