#include "check/LineTraps.h"

#include <algorithm>
#include <vector>

namespace {
constexpr size_t kNearMissDistance = 2;

WChar Folded(WChar unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<WChar>(unit - u'A' + u'a') : unit;
}

// Edits (insert, delete, replace) from one text to the other, both folded to lower case.
size_t EditDistance(const WString& from, const WString& to) {
    std::vector<size_t> row(to.size() + 1);
    for (size_t j = 0; j < row.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= from.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= to.size(); ++j) {
            const size_t above = row[j];
            const size_t replace = diagonal + (Folded(from[i - 1]) == Folded(to[j - 1]) ? 0 : 1);
            row[j] = std::min({replace, row[j - 1] + 1, above + 1});
            diagonal = above;
        }
    }
    return row.back();
}
}  // namespace

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
    size_t at = 0;
    while (at < text.size() && (text[at] == u' ' || (text[at] >= u'\t' && text[at] <= u'\r'))) ++at;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) ++at;
    return at < text.size() && text[at] >= u'0' && text[at] <= u'9';
}

WString WithoutLineEnd(WString text) {
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
    return text;
}
