#pragma once
// The tool reads its list as ANSI text in the machine's code page. A list saved as UTF-16 (what
// editors call "Unicode"), or any list with a NUL byte, is no such text: the text model would end
// at the first NUL byte and read a list of one character, so start-up stops and says why.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/WString.h"

struct NotAnsiText {
    uint32_t line;  // 1-based, where the first NUL byte or the signature stands
    WString text;   // start-up's box
};

// Why the list's bytes are no ANSI text; nullopt when they are.
std::optional<NotAnsiText> ListNotAnsiText(const char* bytes, size_t size);
