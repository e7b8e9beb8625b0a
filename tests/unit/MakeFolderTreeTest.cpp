#include <gtest/gtest.h>

#include "paths/MakeFolderTree.h"
#include "support/TempFolder.h"

namespace {
// The temp folder without its leading drive letter and colon: \...\nvNNN-N\.
WString WithoutDrive(const TempFolder& temp) {
    return temp.Path().substr(2);
}

WString WithSlashes(WString text) {
    for (WChar& unit : text) {
        if (unit == u'\\') unit = u'/';
    }
    return text;
}
}  // namespace

TEST(MakeFolderTree, MakesEveryMissingFolderOfTheChainAndReportsSuccess) {
    struct Case { const char* what; WString (*spell)(const TempFolder&); WString made; };
    const Case cases[] = {
        {"plain", [](const TempFolder& t) { return t / u"Data\\App\\sub"; }, u"Data\\App\\sub"},
        {"trailing backslash", [](const TempFolder& t) { return t / u"Data\\App\\"; }, u"Data\\App"},
        {"forward slashes", [](const TempFolder& t) { return WithSlashes(t / u"Data\\App"); },
         u"Data\\App"},
        {"drive without root backslash",
         [](const TempFolder& t) { return t.Path().substr(0, 2) + t.Path().substr(3) + u"Data\\App"; },
         u"Data\\App"},
        {"full stop in the last segment", [](const TempFolder& t) { return t / u"Data\\file.txt"; },
         u"Data\\file.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        EXPECT_TRUE(MakeFolderTree(c.spell(temp)));
        EXPECT_TRUE(temp.IsFolder(c.made));
        // All present now: the walk only tests, so a second run succeeds too.
        EXPECT_TRUE(MakeFolderTree(c.spell(temp)));
    }
}

TEST(MakeFolderTree, RefusesPathsItCannotWalkWithoutTouchingTheDisk) {
    struct Case { const char* what; WString (*spell)(const TempFolder&); };
    const Case cases[] = {
        {"empty", [](const TempFolder&) { return WString(); }},
        {"relative", [](const TempFolder&) { return WString(u"Data\\App"); }},
        {"no drive letter", [](const TempFolder& t) { return WithoutDrive(t) + u"Data\\App"; }},
        {"network share", [](const TempFolder&) { return WString(u"\\\\server\\share\\Data"); }},
        {"doubled backslash", [](const TempFolder& t) { return t / u"Data\\\\App"; }},
        // Too long for the walk: the last folder would be neither tested nor made.
        {"257 units", [](const TempFolder& t) { return t / u"Data\\" + WString(252 - t.Path().size(), u'n'); }},
        {"258 units", [](const TempFolder& t) { return t / u"Data\\" + WString(253 - t.Path().size(), u'n'); }},
        {"259 units", [](const TempFolder& t) { return t / u"Data\\" + WString(254 - t.Path().size(), u'n'); }},
        {"folder part over 255 units",
         [](const TempFolder& t) { return t / u"Data\\" + WString(120, u'n') + u"\\" + WString(140, u'n'); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        EXPECT_FALSE(MakeFolderTree(c.spell(temp)));
        EXPECT_FALSE(temp.Exists(u"Data"));
    }
}

TEST(MakeFolderTree, FileInTheWayFailsAndKeepsWhatIsAboveIt) {
    TempFolder temp;
    temp.WriteFile(u"Data\\App", "not a folder");
    EXPECT_FALSE(MakeFolderTree(temp / u"Data\\App\\sub"));
    EXPECT_TRUE(temp.IsFolder(u"Data"));
    EXPECT_EQ(temp.ReadFile(u"Data\\App"), "not a folder");
}

TEST(MakeFolderTree, DriveAloneHasNoFolderToMake) {
    for (const WString path : {u"Q:", u"Q:\\", u"q:/"}) {
        EXPECT_TRUE(MakeFolderTree(path)) << Narrow(path);
    }
}
