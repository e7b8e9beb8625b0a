#include "base/Utf8.h"

namespace {
constexpr uint32_t kReplacement = 0xFFFD;

// The code point of the sequence at `at` and its length in bytes; 0 bytes when the bytes there
// are no well-formed sequence.
size_t DecodeOne(const std::string& bytes, size_t at, uint32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const int extra = lead < 0x80   ? 0
                      : lead < 0xC2 ? -1
                      : lead < 0xE0 ? 1
                      : lead < 0xF0 ? 2
                      : lead < 0xF5 ? 3
                                    : -1;
    if (extra < 0 || at + static_cast<size_t>(extra) >= bytes.size()) return 0;
    uint32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(bytes[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return 0;
    codePoint = c;
    return static_cast<size_t>(extra) + 1;
}

void Append(WString& out, uint32_t c) {
    if (c < 0x10000) {
        out += static_cast<WChar>(c);
        return;
    }
    out += static_cast<WChar>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<WChar>(0xDC00 + ((c - 0x10000) & 0x3FF));
}

// Every sequence decoded; false at the first malformed one unless `lenient`.
bool Decode(const std::string& text, bool lenient, WString& out) {
    for (size_t i = 0; i < text.size();) {
        uint32_t c = kReplacement;
        const size_t length = DecodeOne(text, i, c);
        if (length == 0 && !lenient) return false;
        Append(out, c);
        i += length == 0 ? 1 : length;
    }
    return true;
}
}  // namespace

std::string Utf8FromWide(const WString& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

WString WideFromUtf8(const std::string& text) {
    WString out;
    Decode(text, true, out);
    return out;
}

std::optional<WString> WideFromWellFormedUtf8(const std::string& text) {
    WString out;
    if (!Decode(text, false, out)) return std::nullopt;
    return out;
}
