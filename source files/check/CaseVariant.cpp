#include "check/CaseVariant.h"

#include "base/CaseFold.h"

namespace {
bool Exists(SystemServices& system, const WString& path) {
    return system.GetAttributes(path) != kInvalidFileAttributes;
}
}  // namespace

// Each part of the path, from the first that does not exist as written, is looked for among its
// folder's names without regard to case; the separators stay as the path has them.
std::optional<WString> CaseVariant(SystemServices& system, const WString& windowsPath) {
    if (Exists(system, windowsPath)) return std::nullopt;
    WString found;
    bool changed = false;
    size_t start = 0;
    while (start <= windowsPath.size()) {
        size_t end = windowsPath.find_first_of(u"\\/", start);
        if (end == WString::npos) end = windowsPath.size();
        const WString part = windowsPath.substr(start, end - start);
        const WString separator = windowsPath.substr(end, end < windowsPath.size() ? 1 : 0);
        WString here = found + part;
        const bool plain = part.empty() || part == u"." || part == u".." || start == 0;
        if (!plain && !Exists(system, here)) {
            const Answer<std::vector<FileFacts>> names = system.ListFolder(found);
            bool matched = false;
            for (const FileFacts& name : names.value) {
                if (SameIgnoringCase(name.name, part)) {
                    here = found + name.name;
                    matched = true;
                    changed = changed || name.name != part;
                    break;
                }
            }
            if (!matched) return std::nullopt;
        }
        found = here + separator;
        start = end + 1;
    }
    if (!changed) return std::nullopt;
    return found;
}
