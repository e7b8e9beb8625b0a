#include "check/LineTraps.h"

#include <algorithm>
#include <vector>

namespace {
constexpr size_t kNearMissDistance = 2;
constexpr size_t kClosestShown = 3;

bool IsDigit(WChar unit) {
    return unit >= u'0' && unit <= u'9';
}

// Where the number reading's digits start: after leading blanks and one sign.
size_t DigitsStart(const WString& text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == u' ' || (text[at] >= u'\t' && text[at] <= u'\r'))) ++at;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) ++at;
    return at;
}

// The comment cut of the text model: "//" anywhere ends the line's content.
WString WithoutComment(const WString& text) {
    return text.substr(0, text.find(u"//"));
}
}  // namespace

WString Number(uint64_t value) {
    return DecimalText(static_cast<int64_t>(value));
}

WChar FoldedCase(WChar unit) {
    const bool latin1Upper = unit >= 0xC0 && unit <= 0xDE && unit != 0xD7;
    if ((unit >= u'A' && unit <= u'Z') || latin1Upper) return static_cast<WChar>(unit + 0x20);
    return unit;
}

bool SameIgnoringCase(const WString& a, const WString& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldedCase(a[i]) != FoldedCase(b[i])) return false;
    }
    return true;
}

size_t EditDistance(const WString& from, const WString& to) {
    std::vector<size_t> row(to.size() + 1);
    for (size_t j = 0; j < row.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= from.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= to.size(); ++j) {
            const size_t above = row[j];
            const size_t replace =
                diagonal + (FoldedCase(from[i - 1]) == FoldedCase(to[j - 1]) ? 0 : 1);
            row[j] = std::min({replace, row[j - 1] + 1, above + 1});
            diagonal = above;
        }
    }
    return row.back();
}

std::vector<WString> ClosestNames(const WString& name, const std::vector<WString>& candidates) {
    // A slip is a few letters: two, or a third of a longer name.
    const size_t reach = std::max<size_t>(kNearMissDistance, name.size() / 3);
    std::vector<std::pair<size_t, WString>> near;
    for (const WString& candidate : candidates) {
        const size_t distance = EditDistance(name, candidate);
        if (distance <= reach) near.emplace_back(distance, candidate);
    }
    std::stable_sort(near.begin(), near.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<WString> closest;
    for (size_t i = 0; i < near.size() && i < kClosestShown; ++i) closest.push_back(near[i].second);
    return closest;
}

bool IsBlank(WChar unit) {
    return unit == u' ' || unit == u'\u3000';
}

bool EndsInBlank(const WString& text) {
    return !text.empty() && IsBlank(text.back());
}

WString TrimBlanks(const WString& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

bool IsNearMissHeader(const WString& item) {
    if (item == kSectionHeader) return false;
    const WString trimmed = TrimBlanks(item);
    // Short lines are too far from the header to be read as one: a file named "[a]" is not.
    return trimmed.size() >= 8 && EditDistance(trimmed, kSectionHeader) <= kNearMissDistance;
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

bool HasLeadingNumber(const WString& text) {
    const size_t at = DigitsStart(text);
    return at < text.size() && IsDigit(text[at]);
}

WString TextAfterNumber(const WString& text) {
    size_t at = DigitsStart(text);
    while (at < text.size() && IsDigit(text[at])) ++at;
    return text.substr(at);
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
