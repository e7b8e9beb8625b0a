#include "platform/SystemServices.h"
#include "paths/PathFields.h"
#include "paths/PathText.h"
#include "paths/RootFolder.h"

bool ResolveModuleFolder(AppState& state) {
    ClearPathFields(state);
    std::optional<WString> modulePath = System().ModulePath();
    if (!modulePath) return false;
    // A folder part too long for the split comes back empty: the tool then looks for its list
    // file in the current folder, as it does when it has no path at all.
    PathParts parts;
    SplitPath(*modulePath, parts);
    SetPathBase(state, WString(parts.drive) + parts.folder);
    return true;
}
