#include "norvane/SideFiles.h"

#include "app/AppState.h"
#include "base/CaseFold.h"
#include "platform/SystemServices.h"

namespace {
constexpr WChar kMark[] = u"~norvane";
constexpr size_t kMarkUnits = 8;
constexpr size_t kLongestName = 255;  // units in one component of a path
constexpr WChar kLongPathPrefix[] = u"\\\\?\\";
constexpr WChar kLongNetworkPrefix[] = u"\\\\?\\UNC\\";

const WChar* Ending(SideKind kind) {
    return kind == SideKind::New ? u".new" : u".old";
}

bool SameLetters(const WString& text, size_t at, const WString& expected) {
    return text.size() >= at + expected.size() &&
           SameIgnoringCase(text.substr(at, expected.size()), expected);
}

// The "\\?\" form takes a path as it is, so it must be the full path with nothing left to
// resolve: no "." or ".." segment, no "/", no relative part.
WString LongForm(const WString& fullPath) {
    if (fullPath.compare(0, 4, kLongPathPrefix) == 0) return fullPath;
    if (fullPath.compare(0, 2, u"\\\\") == 0) return kLongNetworkPrefix + fullPath.substr(2);
    return kLongPathPrefix + fullPath;
}
}  // namespace

WString SideName(const WString& fileName, SideKind kind, int attempt) {
    WString suffix = kMark;
    if (attempt > 1) suffix += DecimalText(attempt);
    suffix += Ending(kind);
    return fileName.substr(0, kLongestName - suffix.size()) + suffix;
}

std::optional<SideNameParts> ParseSideName(const WString& name) {
    if (name.size() < kMarkUnits + 4) return std::nullopt;
    const size_t ending = name.size() - 4;
    SideKind kind;
    if (SameLetters(name, ending, u".new")) {
        kind = SideKind::New;
    } else if (SameLetters(name, ending, u".old")) {
        kind = SideKind::Old;
    } else {
        return std::nullopt;
    }
    size_t digits = ending;
    while (digits > 0 && name[digits - 1] >= u'0' && name[digits - 1] <= u'9') --digits;
    if (digits < kMarkUnits || !SameLetters(name, digits - kMarkUnits, kMark)) return std::nullopt;
    return SideNameParts{name.substr(0, digits - kMarkUnits), kind, name.size() == kLongestName};
}

WString SidePath(const WString& folder, const WString& sideName) {
    WString plain = folder + sideName;
    if (plain.size() < static_cast<size_t>(kPathUnits)) return plain;
    const std::optional<WString> full = System().FullPath(plain);
    // Without a full path the plain form stays, and the copy reports what the system says of it.
    return full ? LongForm(*full) : plain;
}
