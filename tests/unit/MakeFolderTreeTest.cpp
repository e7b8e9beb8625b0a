#include <gtest/gtest.h>

#include <algorithm>

#include "paths/MakeFolderTree.h"
#include "support/RecordingServices.h"
#include "support/TempFolder.h"

namespace {
// The real file system, with a count of every folder test and creation the walk asks for.
class DiskWatch : public RecordingServices {
public:
    int touches = 0;
    bool IsDirectory(const WString& path) override {
        ++touches;
        return RecordingServices::IsDirectory(path);
    }
    bool MakeDirectory(const WString& path) override {
        ++touches;
        return RecordingServices::MakeDirectory(path);
    }
};

// How a case spells the temp folder in front of its own part of the path.
enum class Spelling { Plain, ForwardSlashes, NoRootBackslash, NoDrive, Nothing };

WString Spell(const TempFolder& temp, Spelling spelling, const WString& rest) {
    const WString& path = temp.Path();
    switch (spelling) {
    case Spelling::Plain: return path + rest;
    case Spelling::ForwardSlashes: {
        WString text = path + rest;
        std::replace(text.begin(), text.end(), u'\\', u'/');
        return text;
    }
    case Spelling::NoRootBackslash: return path.substr(0, 2) + path.substr(3) + rest;
    case Spelling::NoDrive: return path.substr(2) + rest;
    case Spelling::Nothing: break;
    }
    return rest;
}

// Data\ and a last folder name that bring the whole path to `total` units.
WString DataAndNameUpTo(const TempFolder& temp, size_t total) {
    return u"Data\\" + WString(total - temp.Path().size() - 5, u'n');
}
}  // namespace

TEST(MakeFolderTree, MakesEveryMissingFolderOfTheChain) {
    struct Case { Spelling spelling; WString rest, made; };
    const Case cases[] = {
        // A last segment with a full stop is a folder too.
        {Spelling::Plain, u"Data\\App\\file.txt", u"Data\\App\\file.txt"},
        {Spelling::Plain, u"Data\\App\\", u"Data\\App"},
        {Spelling::ForwardSlashes, u"Data\\App", u"Data\\App"},
        {Spelling::NoRootBackslash, u"Data\\App", u"Data\\App"},
    };
    for (const Case& c : cases) {
        TempFolder temp;
        WString path = Spell(temp, c.spelling, c.rest);
        SCOPED_TRACE(Narrow(path));
        EXPECT_TRUE(MakeFolderTree(path));
        EXPECT_TRUE(temp.IsFolder(c.made));
        // Everything present now: the walk only tests, and creating an existing folder would fail.
        EXPECT_TRUE(MakeFolderTree(path));
    }
}

TEST(MakeFolderTree, RefusesPathsItCannotWalkWithoutTouchingTheDisk) {
    struct Case { Spelling spelling; WString rest; size_t length; };
    const Case cases[] = {
        {Spelling::Nothing, u"", 0},
        {Spelling::Nothing, u"Data\\App", 0},
        {Spelling::NoDrive, u"Data\\App", 0},
        {Spelling::Nothing, u"\\\\server\\share\\Data", 0},
        {Spelling::Plain, u"Data\\\\App", 0},
        // Too long for the walk: its last folder would be neither tested nor made, as the
        // folder part overflows the split (257) or the last folder cannot take its backslash.
        {Spelling::Plain, u"", 257},
        {Spelling::Plain, u"", 259},
    };
    for (const Case& c : cases) {
        TempFolder temp;
        WString path = Spell(temp, c.spelling, c.length ? DataAndNameUpTo(temp, c.length) : c.rest);
        SCOPED_TRACE(Narrow(path));
        DiskWatch disk;
        ScopedSystemOverride watch(disk);
        EXPECT_FALSE(MakeFolderTree(path));
        EXPECT_EQ(disk.touches, 0);
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
    for (const WString path : {u"Q:", u"q:/"}) {
        DiskWatch disk;
        ScopedSystemOverride watch(disk);
        EXPECT_TRUE(MakeFolderTree(path)) << Narrow(path);
        EXPECT_EQ(disk.touches, 0) << Narrow(path);
    }
}
