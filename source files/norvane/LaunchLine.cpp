#include "norvane/LaunchLine.h"

#include <cstring>
#include <vector>

#include "platform/SystemServices.h"
#include "text/Tokenizer.h"

namespace {
constexpr size_t kLongestOpenablePath = 260;

// Widens with the ANSI code page, as the item was narrowed with it.
std::optional<WString> Widen(const char* ansi) {
    if (ansi == nullptr) {
        return WString();
    }
    int bytes = static_cast<int>(std::strlen(ansi));
    if (bytes == 0) {
        return WString();
    }
    std::vector<WChar> units(static_cast<size_t>(bytes));
    int count = System().AnsiToWide(ansi, bytes, units.data(), bytes);
    if (count <= 0) {
        return std::nullopt;
    }
    return WString(units.data(), static_cast<size_t>(count));
}
}  // namespace

std::optional<WString> LaunchTarget(const WString& rootFolder, const char* ansiItem,
                                    bool ansiComplete) {
    // A cut or failed conversion would open some other document than the one listed.
    if (ansiItem != nullptr && !ansiComplete) {
        return std::nullopt;
    }
    std::optional<WString> item = Widen(ansiItem);
    if (!item) {
        return std::nullopt;
    }
    Tokenizer tokens(*item, u"]");
    tokens.Next();
    WString document = tokens.Next();
    if (document.empty()) {
        return std::nullopt;
    }
    // No document path of that length can be opened; the shell would be handed a path longer
    // than its buffers (and some versions of it fail on one hard).
    WString target = rootFolder + document;
    if (target.size() >= kLongestOpenablePath) {
        return std::nullopt;
    }
    return target;
}
