// The document the list's first line opens: the second "]"-token of its first item, under the
// tool's folder.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "norvane/LaunchLine.h"
#include "support/TempFolder.h"

namespace {
const WString kRoot = u"D:\\Tool\\";  // 8 units

struct LaunchCase {
    const char* name;
    std::optional<std::string> item;  // the first item in ANSI (code page 1252); none when empty
    std::optional<WString> opened;    // below kRoot
    bool complete = true;             // whether the item's ANSI form holds all of it
};
void PrintTo(const LaunchCase& c, std::ostream* out) {
    *out << c.name;
}

class LaunchLineTest : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(LaunchLineTest, OpensTheSecondBracketTokenUnderTheRootFolder) {
    const LaunchCase& c = GetParam();
    const std::optional<WString> target =
        LaunchTarget(kRoot, c.item ? c.item->c_str() : nullptr, c.complete);
    EXPECT_EQ(target ? Narrow(*target) : "nothing",
              c.opened ? Narrow(kRoot + *c.opened) : "nothing");
}

const LaunchCase kCases[] = {
    {"BlanksAndFoldersStay", "[Readme]docs\\Read me.txt", u"docs\\Read me.txt"},
    {"BracketRunsAreOne", "[x]]y", u"y"},
    {"OnlyTheSecondToken", "[x]y]z", u"y"},
    {"LeadingBracketsCountForNothing", "]]y", std::nullopt},
    {"NoSecondToken", "[x]", std::nullopt},
    {"EmptyItem", "", std::nullopt},
    {"NoItem", std::nullopt, std::nullopt},
    {"WidenedWithTheAnsiCodePage", "[a]caf\xE9.txt", u"caf\u00E9.txt"},
    {"IncompleteAnsiFormOpensNothing", "[x]cut-off-na", std::nullopt, false},
    {"PathOf259Units", "[x]" + std::string(251, 'd'), WString(251, u'd')},
    {"PathOf260UnitsOpensNothing", "[x]" + std::string(252, 'd'), std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Items, LaunchLineTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace
