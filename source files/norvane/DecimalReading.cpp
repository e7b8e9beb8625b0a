#include "norvane/DecimalReading.h"

#include <limits>

namespace {
// The C library's white space, which its number reading skips.
bool IsLeadingSpace(WChar unit) {
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

bool IsDigit(WChar unit) {
    return unit >= u'0' && unit <= u'9';
}
}  // namespace

DecimalReading ReadDecimal(const WString& text) {
    DecimalReading reading;
    size_t at = 0;
    while (at < text.size() && IsLeadingSpace(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        negative = text[at] == u'-';
        ++at;
    }
    reading.digitsBegin = at;
    // The magnitude is held at one past the largest value, so no digit run, however long,
    // overflows, and the most negative value is still reached.
    constexpr int64_t kLimit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
    int64_t magnitude = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        magnitude = magnitude * 10 + (text[at] - u'0');
        if (magnitude > kLimit) magnitude = kLimit;
    }
    reading.digitsEnd = at;
    if (negative) {
        reading.value = static_cast<int32_t>(-magnitude);
    } else {
        reading.value = magnitude >= kLimit ? std::numeric_limits<int32_t>::max()
                                            : static_cast<int32_t>(magnitude);
    }
    return reading;
}
