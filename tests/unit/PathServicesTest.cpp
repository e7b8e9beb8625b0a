#include <gtest/gtest.h>

#include <memory>

#include "norvane/TemporaryPath.h"
#include "paths/PathServices.h"
#include "support/RecordingServices.h"
#include "support/TempFolder.h"

namespace {
// A module path of the test's choosing; the registry is the recording stand-in, which fails data
// over 520 bytes as the real query does.
class FakeSystem : public RecordingServices {
public:
    std::optional<WString> modulePath;
    std::optional<WString> ModulePath() override { return modulePath; }
};

WString Units(size_t count, WChar unit = u'a') {
    return WString(count, unit);
}

class PathServices : public ::testing::Test {
protected:
    // Leftovers of an earlier lookup, which every resolver must clear; then what it left.
    void Stale() {
        CopyToPathBuffer(state->pathBase, u"C:\\Stale\\");
        for (auto& slot : state->pathSlots) CopyToPathBuffer(slot, u"C:\\Stale\\");
    }
    void ExpectFields(const WString& base, const WString& composed) {
        EXPECT_EQ(WString(state->pathBase), base);
        EXPECT_EQ(WString(state->pathSlots[3]), u"");
        EXPECT_EQ(WString(ComposePath(*state, 0)), composed);
    }
    FakeSystem fake;
    ScopedSystemOverride useFake{fake};
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
};
}  // namespace

TEST_F(PathServices, ModuleFolderIsTheExecutablesFolderWithABackslash) {
    struct Case { std::optional<WString> module; bool found; WString base; };
    const Case cases[] = {
        {u"C:\\Tools\\Update\\setup.exe", true, u"C:\\Tools\\Update\\"},
        {u"\\\\server\\share\\setup.exe", true, u"\\\\server\\share\\"},
        {u"C:\\" + Units(255) + u"\\setup.exe", true, u""},  // folder too long for the split
        {std::nullopt, false, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.module.value_or(u"(none)")));
        Stale();
        fake.modulePath = c.module;
        EXPECT_EQ(ResolveModuleFolder(*state), c.found);
        ExpectFields(c.base, c.base);
    }
}

// A string value: the text and its terminating zero unit.
WString Value(const WString& text) {
    return text + u'\0';
}

TEST_F(PathServices, InstallDirIsReadLiterallyAndNormalisedWhenComposed) {
    struct Case { WString stored; bool found; WString base, composed; };
    const Case cases[] = {
        {Value(u"C:/Data//App/"), true, u"C:/Data//App/\\", u"C:\\Data\\App\\"},
        {Value(u"C:\\App\\"), true, u"C:\\App\\", u"C:\\App\\"},
        // A run of n backslashes becomes ceil(n/2); a network share's leading pair stays.
        {Value(u"C:\\a\\\\b\\\\\\c\\\\\\\\d\\\\\\\\\\e"), true,
         u"C:\\a\\\\b\\\\\\c\\\\\\\\d\\\\\\\\\\e\\", u"C:\\a\\b\\\\c\\\\d\\\\\\e\\"},
        {Value(u"//server/share//dir"), true, u"//server/share//dir\\",
         u"\\\\server\\share\\dir\\"},
        {Value(u"%ProgramFiles%\\App"), true, u"%ProgramFiles%\\App\\", u"%ProgramFiles%\\App\\"},
        {Value(Units(300)), false, u"", u""},
        // 520 bytes with no terminator: its 260 units, stored cut to 259.
        {Units(260), true, Units(259), Units(259)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.stored));
        Stale();
        fake.SetRegistryData(RegistryRoot::LocalMachine, u"Software\\App", u"INSTALLDIR", c.stored);
        EXPECT_EQ(ResolveInstallDir(*state, u"Software\\App", RegistryRoot::LocalMachine), c.found);
        ExpectFields(c.base, c.composed);
    }
}

TEST(PathText, SplitPathTakesDriveFolderNameAndExtension) {
    // Expected parts as drive|folder|name|extension.
    struct Case { WString path; PathStatus status; WString parts; };
    const Case cases[] = {
        {u"C:/a.b/c\\arch.tar.gz", PathStatus::Ok, u"C:|/a.b/c\\|arch.tar|.gz"},
        {u"C:\\" + Units(253) + u"\\x", PathStatus::Ok, u"C:|\\" + Units(253) + u"\\|x|"},
        {u"C:\\" + Units(254) + u"\\x", PathStatus::RangeError, u"|||"},
        {u"C:\\" + Units(256), PathStatus::RangeError, u"|||"},
    };
    for (const Case& c : cases) {
        PathParts parts;
        EXPECT_EQ(SplitPath(c.path, parts), c.status) << Narrow(c.path);
        EXPECT_EQ(WString(parts.drive) + u"|" + parts.folder + u"|" + parts.name + u"|" +
                      parts.extension,
                  c.parts);
    }
}

// A destination that fits the system's path limit must be copyable: the temporary beside it
// either fits too or takes the "\\?\" form, which has no limit and takes only a full path.
TEST(TemporaryPath, FitsTheLimitOrTakesTheLongForm) {
    const struct {
        size_t folderUnits;
        WString fileName;
        bool longForm;
    } cases[] = {
        {100, u"a.dll", false},
        {242, u"a.dll", false},  // the temporary's path has 259 units
        {243, u"a.dll", true},
        {254, u"a.dll", true},   // the destination has 259 units
        {243, u"sub/../a.dll", true},
    };
    for (const auto& c : cases) {
        const WString folder = u"C:\\" + Units(c.folderUnits - 4, u'f') + u"\\";
        const WString temporary = TemporaryPathFor(folder + c.fileName);
        EXPECT_EQ(temporary, (c.longForm ? u"\\\\?\\" : u"") + folder + kTemporaryName)
            << c.folderUnits << " " << Narrow(c.fileName);
    }
}
