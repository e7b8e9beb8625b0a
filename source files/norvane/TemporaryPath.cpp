#include "norvane/TemporaryPath.h"

#include "app/AppState.h"
#include "platform/SystemServices.h"

const WChar kTemporaryName[] = u"~norvane.copy.tmp";

namespace {
constexpr WChar kLongPathPrefix[] = u"\\\\?\\";
constexpr WChar kLongNetworkPrefix[] = u"\\\\?\\UNC\\";

WString FolderPart(const WString& path) {
    const size_t separator = path.find_last_of(u"\\/");
    return separator == WString::npos ? WString() : path.substr(0, separator + 1);
}

// The "\\?\" form takes a path as it is, so it must be the full path with nothing left to
// resolve: no "." or ".." segment, no "/", no relative part.
WString LongForm(const WString& fullPath) {
    if (fullPath.compare(0, 4, kLongPathPrefix) == 0) return fullPath;
    if (fullPath.compare(0, 2, u"\\\\") == 0) return kLongNetworkPrefix + fullPath.substr(2);
    return kLongPathPrefix + fullPath;
}
}  // namespace

WString TemporaryPathFor(const WString& destination) {
    WString plain = FolderPart(destination) + kTemporaryName;
    if (plain.size() < static_cast<size_t>(kPathUnits)) return plain;
    const std::optional<WString> full = System().FullPath(destination);
    // Without a full path the plain form stays, and the copy reports what the system says of it.
    if (!full) return plain;
    return LongForm(FolderPart(*full) + kTemporaryName);
}
