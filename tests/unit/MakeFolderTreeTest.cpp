// The folder walk before each destination: every missing folder of the chain is made, paths it
// cannot walk are refused before the disk is touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "paths/MakeFolderTree.h"
#include "support/RecordingServices.h"

namespace {
TEST(MakeFolderTree, MakesEveryMissingFolderOfTheChain) {
    // How a case spells the test's folder in front of its own part of the path.
    enum Spelling { Plain, ForwardSlashes, NoRootBackslash, DriveAlone };
    const struct {
        Spelling spelling;
        WString rest, made;
    } cases[] = {
        // A last segment with a full stop is a folder too.
        {Plain, u"Data\\App\\file.txt", u"Data\\App\\file.txt"},
        {Plain, u"Data\\App\\", u"Data\\App"},
        {ForwardSlashes, u"Data\\App", u"Data\\App"},
        {NoRootBackslash, u"Data\\App", u"Data\\App"},
        // No folder to make: a drive that does not exist is not even looked at.
        {DriveAlone, u"q:/", u""},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        WString path = c.spelling == DriveAlone ? c.rest : temp.Path() + c.rest;
        if (c.spelling == ForwardSlashes) std::replace(path.begin(), path.end(), u'\\', u'/');
        if (c.spelling == NoRootBackslash) path.erase(2, 1);
        SCOPED_TRACE(Narrow(path));
        EXPECT_TRUE(MakeFolderTree(path));
        EXPECT_TRUE(std::filesystem::is_directory(temp.Host(c.made)));
        // Everything present now: the walk only tests, and creating an existing folder would fail.
        EXPECT_TRUE(MakeFolderTree(path));
    }
}

TEST(MakeFolderTree, RefusesPathsItCannotWalkWithoutTouchingTheDisk) {
    const WString paths[] = {
        // Empty, relative, without drive, a network share, an empty segment.
        u"",
        u"Data\\App",
        u"\\Data\\App",
        u"\\\\server\\share\\Data",
        u"C:\\Data\\\\App",
        // Too long for the walk: its last folder would be neither tested nor made, as the
        // folder part overflows the split (257) or the last folder cannot take its backslash.
        u"C:\\Data\\" + WString(257 - 8, u'n'),
        u"C:\\Data\\" + WString(259 - 8, u'n'),
    };
    for (const WString& path : paths) {
        RecordingServices disk;
        ScopedSystemOverride watch(disk);
        EXPECT_FALSE(MakeFolderTree(path)) << Narrow(path);
        EXPECT_EQ(disk.folderTouches, 0) << Narrow(path);
    }
}

TEST(MakeFolderTree, FileInTheWayFailsAndKeepsWhatIsAboveIt) {
    TempFolder temp;
    temp.WriteFile(u"Data\\App", "not a folder");
    EXPECT_FALSE(MakeFolderTree(temp / u"Data\\App\\sub"));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Host(u"Data")));
    EXPECT_EQ(temp.ReadFile(u"Data\\App"), "not a folder");
}
}  // namespace
