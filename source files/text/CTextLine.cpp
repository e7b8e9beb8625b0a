#include "text/CTextLine.h"

#include <cstring>

#include "platform/SystemServices.h"

namespace {
constexpr WChar kNul = 0;
constexpr WChar kTab = u'\t';
constexpr WChar kLf = u'\n';
constexpr WChar kCr = u'\r';

// The developer's note that a line was cut: "line %d has too many characters".
void ReportOverlongLine(uint32_t lineNumber) {
    WString message = u"[CTextLine::SetLine]" + DecimalText(static_cast<int>(lineNumber)) +
                      u"行目の文字数が多すぎます。\r\n";
    System().DebugOutput(message);
}

// Position of the first unit pair (first, second) that starts before `length` - 1, or `length`.
uint32_t FindPair(const WChar* line, uint32_t length, WChar first, WChar second) {
    for (uint32_t i = 0; i + 1 < length; ++i) {
        if (line[i] == first && line[i + 1] == second) return i;
    }
    return length;
}

bool IsSeparatorRunFollower(WChar unit) {
    return unit == kNul || unit == kTab || unit == kLf || unit == kCr;
}
}  // namespace

CTextLine::~CTextLine() {
    lineIndex = 0;
    lineLength = 0;
    std::memset(lineText, 0, sizeof(lineText));
}

bool CTextLine::FirstLine() {
    return SetLine(0) || NextLine();
}

bool CTextLine::SetLine(uint32_t index) {
    if (lineCount <= 0 || index >= static_cast<uint32_t>(lineCount)) return false;

    lineIndex = index;
    lineLength = 0;
    itemPos = 0;
    std::memset(lineText, 0, sizeof(lineText));
    std::memset(itemText, 0, sizeof(itemText));
    std::memset(itemTextAnsi, 0, sizeof(itemTextAnsi));
    itemAnsiComplete = false;

    const uint32_t start = lineStarts[index];
    const WChar* line = text.get() + start;
    // The raw length still holds the line's own line end.
    uint32_t length = LineEnd(index) - start;
    if (length >= static_cast<uint32_t>(kLineUnits)) {
        ReportOverlongLine(index + 1);
        length = kLineUnits - 1;
    }

    length = FindPair(line, length, kCr, kLf);
    for (uint32_t i = 0; i < length; ++i) {
        if (line[i] == kLf) {
            length = i;
            break;
        }
    }
    // A comment runs to the line's end wherever it starts, inside a path or message too.
    length = FindPair(line, length, u'/', u'/');
    if (length == 0) return false;

    std::memcpy(lineText, line, length * sizeof(WChar));
    lineLength = static_cast<int32_t>(length);
    return true;
}

bool CTextLine::NextLine() {
    for (int64_t i = static_cast<int64_t>(lineIndex) + 1; i < lineCount; ++i) {
        if (SetLine(static_cast<uint32_t>(i))) return true;
    }
    return false;
}

const char* CTextLine::NextItem() {
    std::memset(itemText, 0, sizeof(itemText));
    std::memset(itemTextAnsi, 0, sizeof(itemTextAnsi));
    itemAnsiComplete = false;
    // lineText always ends in a NUL inside its 1024 units, so reading stops there at the latest
    // and the unit after a non-NUL one is always inside the buffer; an item, never longer than
    // its line, always fits itemText with its terminator.
    if (itemPos < 0 || itemPos >= kLineUnits) return nullptr;

    int32_t length = 0;
    for (;;) {
        const WChar unit = lineText[itemPos];
        if (unit == kNul) break;
        if (unit == kLf) {
            ++itemPos;
            break;
        }
        if (unit == kTab || unit == kCr) {
            ++itemPos;
            // Runs of separators, and separators that end the line, count as one or none.
            if (IsSeparatorRunFollower(lineText[itemPos])) continue;
            break;
        }
        itemText[length++] = unit;
        ++itemPos;
    }
    if (length == 0) return nullptr;

    const int written = System().WideToAnsi(itemText, length + 1, itemTextAnsi, kItemAnsiBytes);
    itemAnsiComplete = written > 0 && written <= kItemAnsiBytes && itemTextAnsi[written - 1] == 0;
    // A conversion that ran out of room may leave the buffer full without a terminator.
    if (!itemAnsiComplete) itemTextAnsi[kItemAnsiBytes - 1] = 0;
    return itemTextAnsi;
}
