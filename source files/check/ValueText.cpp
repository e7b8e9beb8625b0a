#include "check/ValueText.h"

#include "paths/WindowsNames.h"

namespace {
bool IsInvisible(WChar unit) {
    if (unit == u'\r' || unit == u'\n') return false;
    constexpr struct {
        WChar first, last;
    } kRanges[] = {
        {0x0000, 0x001F}, {0x007F, 0x00A0}, {0x00AD, 0x00AD}, {0x0300, 0x036F}, {0x1AB0, 0x1AFF},
        {0x1DC0, 0x1DFF}, {0x2000, 0x200F}, {0x2028, 0x202F}, {0x2044, 0x2044}, {0x205F, 0x206F},
        {0x20D0, 0x20FF}, {0x2215, 0x2216}, {0x3000, 0x3000}, {0xFE20, 0xFE2F}, {0xFE68, 0xFE68},
        {0xFEFF, 0xFEFF}, {0xFF0F, 0xFF0F}, {0xFF3C, 0xFF3C}, {0xFFF9, 0xFFFB},
    };
    for (const auto& range : kRanges) {
        if (unit >= range.first && unit <= range.last) return true;
    }
    return false;
}

// The comment cut of the text model: "//" anywhere ends the line's content.
WString WithoutComment(const WString& text) {
    return text.substr(0, text.find(u"//"));
}
}  // namespace

bool IsKeptBlank(WChar unit) {
    return unit == u' ' || unit == u'\u3000';
}

bool EndsInBlank(const WString& text) {
    return !text.empty() && IsKeptBlank(text.back());
}

WString TrimBlanks(const WString& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsKeptBlank(text[first])) ++first;
    while (last > first && IsKeptBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

bool HasParentSegment(const WString& relativePath) {
    size_t start = 0;
    for (size_t i = 0; i <= relativePath.size(); ++i) {
        if (i < relativePath.size() && relativePath[i] != u'\\' && relativePath[i] != u'/')
            continue;
        if (relativePath.compare(start, i - start, u"..") == 0 && i - start == 2) return true;
        start = i + 1;
    }
    return false;
}

WString WithoutLineEnd(WString text) {
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
    return text;
}

WString UncutFirstItem(const WString& rawLine) {
    return WithoutComment(rawLine.substr(0, rawLine.find_first_of(u"\t\r\n")));
}

std::vector<WString> PiecesAfterLoneCr(const WString& rawLine) {
    WString line = rawLine;
    if (!line.empty() && line.back() == u'\n') line.pop_back();
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    std::vector<WString> lost;
    size_t cr = line.find(u'\r');
    while (cr != WString::npos) {
        const size_t next = line.find(u'\r', cr + 1);
        const WString piece = WithoutComment(line.substr(cr + 1, next - cr - 1));
        if (!TrimBlanks(piece).empty()) lost.push_back(piece);
        cr = next;
    }
    return lost;
}

WString WithInvisibleShown(const WString& text) {
    WString shown;
    for (WChar unit : text)
        shown += IsInvisible(unit) ? u"<" + CodePointText(unit) + u">" : WString(1, unit);
    return shown;
}

WString Abbreviated(const WString& text, size_t units) {
    if (text.size() <= units) return text;
    return text.substr(0, units) + u"...";
}
