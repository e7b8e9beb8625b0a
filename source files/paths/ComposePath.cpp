#include <algorithm>

#include "platform/SystemServices.h"
#include "paths/PathFields.h"
#include "paths/ComposePath.h"
#include "paths/PathText.h"

namespace {
constexpr size_t kLongestSuffix = 1023;
constexpr WChar kNoPath[1] = {u'\0'};

bool StartsNetworkShare(const WString& text) {
    return text.size() >= 2 && text[0] == u'\\' && text[1] == u'\\';
}

// A run of n backslashes becomes ceil(n/2): each pair found from the left turns into one and
// the scan goes on after it. The two backslashes that open a network share's path are its
// prefix, not a doubled separator, so they stay.
WString ReduceDoubledBackslashes(const WString& text) {
    size_t kept = StartsNetworkShare(text) ? 2 : 0;
    WString reduced = text.substr(0, kept);
    for (size_t i = kept; i < text.size(); ++i) {
        reduced += text[i];
        if (text[i] == u'\\' && i + 1 < text.size() && text[i + 1] == u'\\') ++i;
    }
    return reduced;
}
}  // namespace

const WChar* ComposePath(AppState& state, uint8_t slot, const WString& suffix) {
    if (slot >= kPathSlotCount) return kNoPath;
    WString text = PathBufferText(state.pathBase) +
                   suffix.substr(0, std::min(suffix.find(u'\0'), kLongestSuffix));
    std::replace(text.begin(), text.end(), u'/', u'\\');
    CopyToPathBuffer(state.pathSlots[slot], ReduceDoubledBackslashes(text));
    return state.pathSlots[slot];
}
