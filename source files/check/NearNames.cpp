#include "check/NearNames.h"

#include <algorithm>

#include "base/CaseFold.h"
#include "check/ValueText.h"
#include "norvane/ListKeywords.h"
#include "platform/SystemServices.h"

namespace {
constexpr size_t kNearMissDistance = 2;
constexpr size_t kClosestShown = 3;
}  // namespace

size_t EditDistance(const WString& from, const WString& to) {
    std::vector<size_t> row(to.size() + 1);
    for (size_t j = 0; j < row.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= from.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= to.size(); ++j) {
            const size_t above = row[j];
            const size_t replace =
                diagonal + (FoldedUnit(from[i - 1]) == FoldedUnit(to[j - 1]) ? 0 : 1);
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

std::vector<WString> ClosestNamesIn(const WString& folder, const WString& name, uint32_t skipped) {
    std::vector<WString> names;
    for (const FileFacts& facts : System().ListFolder(folder).value) {
        if ((facts.attributes & skipped) == 0) names.push_back(facts.name);
    }
    return ClosestNames(name, names);
}

bool IsNearMissHeader(const WString& item) {
    if (item == kSectionHeader) return false;
    const WString trimmed = TrimBlanks(item);
    // Short lines are too far from the header to be read as one: a file named "[a]" is not.
    return trimmed.size() >= 8 && EditDistance(trimmed, kSectionHeader) <= kNearMissDistance;
}
