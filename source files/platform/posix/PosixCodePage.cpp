// The ANSI code page of native builds: Windows-1252 by table, the others through iconv.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/posix/PosixServices.h"

namespace {
// 0x80..0x9F of Windows-1252; the five unassigned bytes map to the same C1 code point, as
// MultiByteToWideChar does.
constexpr WChar kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

WChar Cp1252ToWide(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : static_cast<WChar>(byte);
}

char WideToCp1252(WChar unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit < 0x100)) return static_cast<char>(unit);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == unit) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// iconv's name of a Windows code page.
std::string CodePageName(int codePage) {
    return "CP" + std::to_string(codePage);
}

// Converts with iconv; returns the output bytes, or an empty string on failure. An unmappable
// sequence becomes the code page's default character: U+30FB in 932, "?" elsewhere.
std::string Iconv(const char* to, const char* from, const char* input, size_t inputBytes) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string out(inputBytes * 4 + 8, '\0');
    char* in = const_cast<char*>(input);
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t inLeft = inputBytes;
    while (inLeft > 0) {
        if (::iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        ++in;
        --inLeft;
        const bool toUtf16 = std::strcmp(to, "UTF-16LE") == 0;
        const char* fallback =
            toUtf16 ? (std::strcmp(from, "CP932") == 0 ? "\xFB\x30" : "?\0") : "?";
        const size_t fallbackBytes = toUtf16 ? 2 : 1;
        if (!toUtf16) {
            // A UTF-16 input unit is two bytes: skip the second one too.
            ++in;
            --inLeft;
        }
        std::memcpy(outPtr, fallback, fallbackBytes);
        outPtr += fallbackBytes;
        outLeft -= fallbackBytes;
    }
    // A converter may hold a character back until it knows the text ended (CP1258 waits for
    // a combining accent that may follow).
    ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    ::iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}
}  // namespace

int PosixServices::AnsiToWide(const char* bytes, int byteCount, WChar* out, int capacity) {
    if (bytes == nullptr || byteCount <= 0) return 0;
    WString wide;
    if (codePage_ == 1252) {
        for (int i = 0; i < byteCount; ++i)
            wide += Cp1252ToWide(static_cast<unsigned char>(bytes[i]));
    } else {
        std::string utf16 = Iconv("UTF-16LE", CodePageName(codePage_).c_str(), bytes,
                                  static_cast<size_t>(byteCount));
        for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
            wide += static_cast<WChar>(static_cast<unsigned char>(utf16[i]) |
                                       (static_cast<unsigned char>(utf16[i + 1]) << 8));
        }
    }
    if (static_cast<int>(wide.size()) > capacity) return 0;
    std::memcpy(out, wide.data(), wide.size() * sizeof(WChar));
    return static_cast<int>(wide.size());
}

int PosixServices::WideToAnsi(const WChar* units, int unitCount, char* out, int capacity) {
    if (units == nullptr || unitCount <= 0) return 0;
    std::string ansi;
    if (codePage_ == 1252) {
        for (int i = 0; i < unitCount; ++i) ansi += WideToCp1252(units[i]);
    } else {
        std::string utf16;
        for (int i = 0; i < unitCount; ++i) {
            utf16 += static_cast<char>(units[i] & 0xFF);
            utf16 += static_cast<char>(units[i] >> 8);
        }
        ansi = Iconv(CodePageName(codePage_).c_str(), "UTF-16LE", utf16.data(), utf16.size());
    }
    // Like the system, write what fits and report failure when the whole text does not fit.
    size_t fitting = std::min(ansi.size(), static_cast<size_t>(capacity));
    std::memcpy(out, ansi.data(), fitting);
    return ansi.size() > static_cast<size_t>(capacity) ? 0 : static_cast<int>(ansi.size());
}
