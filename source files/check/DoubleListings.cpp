#include "check/DoubleListings.h"

#include "base/CaseFold.h"
#include "norvane/ListKeywords.h"
#include "paths/WindowsNames.h"

namespace {
// A name as Windows tells files apart: letter case, the kind of slash and the blanks and dots
// at its end aside.
WString FileKey(const WString& name) {
    WString key;
    for (WChar unit : AsWindowsOpens(name)) key += unit == u'/' ? u'\\' : FoldedUnit(unit);
    return key;
}
}  // namespace

std::optional<WString> DoubleListings::Listed(const WString& item, uint32_t line,
                                              const ListOutline& outline) {
    const WString name = FileKey(item);
    const auto earlier = inSection_.find(name);
    if (earlier != inSection_.end()) {
        // Once a name: a list that repeats it many times is told so once.
        if (earlier->second == 0) return std::nullopt;
        const uint32_t first = earlier->second;
        earlier->second = 0;
        return Quoted(item) + u" is listed twice in this section (first on line " +
               DecimalText(first) + u"): the tool copies it twice";
    }
    inSection_[name] = line;

    // An applying section with action 2 is the last one read: nothing after it doubles it.
    const SectionOutline& section = outline.back();
    const WString destination = FileKey(section.key) + u'\n' + section.condition + u'\n' + name;
    const auto listed = destinations_.find(destination);
    std::optional<WString> finding;
    if (listed != destinations_.end() &&
        outline[listed->second.section].action != kActionLastIfApplies) {
        finding = Quoted(item) + u" goes where line " + DecimalText(listed->second.line) +
                  u" already sends it (a section of the same registry key and condition): the "
                  u"tool copies it twice, and this line's copy stays";
    }
    destinations_[destination] = {line, outline.size() - 1};
    return finding;
}
