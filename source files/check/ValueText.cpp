#include "check/ValueText.h"

namespace {
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

WString Abbreviated(const WString& text, size_t units) {
    if (text.size() <= units) return text;
    return text.substr(0, units) + u"...";
}
