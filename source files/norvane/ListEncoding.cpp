#include "norvane/ListEncoding.h"

#include <algorithm>

namespace {
constexpr WChar kSaveAsAnsi[] = u" Save it as ANSI text (in Notepad: Save As, Encoding ANSI).";

bool StartsWith(const char* bytes, size_t size, const char* signature) {
    return size >= 2 && bytes[0] == signature[0] && bytes[1] == signature[1];
}
}  // namespace

std::optional<NotAnsiText> ListNotAnsiText(const char* bytes, size_t size) {
    if (StartsWith(bytes, size, "\xFF\xFE") || StartsWith(bytes, size, "\xFE\xFF")) {
        return NotAnsiText{1,
                           u"'Update.up' is saved as UTF-16 (Unicode): the tool reads ANSI "
                           u"text only." +
                               WString(kSaveAsAnsi)};
    }
    const char* end = bytes + size;
    const char* nul = std::find(bytes, end, '\0');
    if (nul == end) return std::nullopt;
    const auto line = static_cast<uint32_t>(1 + std::count(bytes, nul, '\n'));
    return NotAnsiText{line, u"Line " + DecimalText(line) +
                                 u" of 'Update.up' holds a NUL byte: it is no ANSI text." +
                                 kSaveAsAnsi};
}
