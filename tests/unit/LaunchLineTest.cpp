#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "norvane/LaunchLine.h"
#include "support/TempFolder.h"

namespace {
struct LaunchCase {
    const char* item;  // the launch line's first item in ANSI, null when empty
    std::optional<WString> opened;
};

class LaunchLineTest : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(LaunchLineTest, OpensTheSecondBracketTokenUnderTheRootFolder) {
    const LaunchCase& c = GetParam();
    std::optional<WString> target = LaunchTarget(u"D:\\Tool\\", c.item, true);
    ASSERT_EQ(target.has_value(), c.opened.has_value()) << (c.item ? c.item : "(null)");
    if (target) {
        EXPECT_EQ(Narrow(*target), Narrow(*c.opened));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Items, LaunchLineTest,
    ::testing::Values(LaunchCase{"[x]y", WString(u"D:\\Tool\\y")},
                      LaunchCase{"[x]]y", WString(u"D:\\Tool\\y")},
                      LaunchCase{"[x]y]z", WString(u"D:\\Tool\\y")},
                      LaunchCase{"[Readme]docs\\Read me.txt", WString(u"D:\\Tool\\docs\\Read me.txt")},
                      LaunchCase{"[x]", std::nullopt}, LaunchCase{"x", std::nullopt},
                      LaunchCase{"]]y", std::nullopt}, LaunchCase{"[SetParamter]", std::nullopt},
                      LaunchCase{nullptr, std::nullopt}, LaunchCase{"", std::nullopt}));

TEST(LaunchLine, WidensThroughTheAnsiCodePage) {
    // "[a]caf\xE9.txt" is café.txt in code page 1252, the code page of these tests.
    std::optional<WString> target = LaunchTarget(u"C:\\", "[a]caf\xE9.txt", true);
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, u"C:\\caf\u00E9.txt");
}

TEST(LaunchLine, AnItemWhoseAnsiFormIsIncompleteOpensNothing) {
    EXPECT_FALSE(LaunchTarget(u"C:\\", "[x]cut-off-na", false));
}

TEST(LaunchLine, APathOf260UnitsOrMoreOpensNothing) {
    const WString root = u"D:\\Tool\\";  // 8 units
    for (const size_t length : {259u, 260u, 1000u}) {
        const std::string item = "[x]" + std::string(length - root.size(), 'd');
        EXPECT_EQ(LaunchTarget(root, item.c_str(), true).has_value(), length < 260) << length;
    }
}

TEST(LaunchLine, EmptyRootFolderOpensRelativeToTheCurrentFolder) {
    EXPECT_EQ(LaunchTarget(WString(), "[x]Readme.txt", true), WString(u"Readme.txt"));
}
}  // namespace
