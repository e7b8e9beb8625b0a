#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

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

const WString kSubKey = u"Software\\App";
const WString kValue = u"INSTALLDIR";

WString Units(size_t count, WChar unit = u'a') {
    return WString(count, unit);
}

class PathServices : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    // Leftovers of an earlier lookup, which every resolver must clear.
    void Reset() {
        CopyToPathBuffer(state->pathBase, u"C:\\Stale\\");
        for (auto& slot : state->pathSlots) CopyToPathBuffer(slot, u"C:\\Stale\\");
    }
    void ExpectFields(const WString& base) {
        EXPECT_EQ(WString(state->pathBase), base);
        EXPECT_EQ(WString(state->pathSlots[3]), u"");
    }
    FakeSystem fake;
    ScopedSystemOverride useFake{fake};
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
};
}  // namespace

TEST_F(PathServices, ModuleFolderIsTheExecutablesFolderWithABackslash) {
    struct Case { std::optional<WString> module; bool found; WString base, root; };
    const WString shareFolder = u"\\\\server\\share\\dir\\";
    const Case cases[] = {
        {u"C:\\Tools\\Update\\setup.exe", true, u"C:\\Tools\\Update\\", u"C:\\Tools\\Update\\"},
        {u"D:\\setup.exe", true, u"D:\\", u"D:\\"},
        {shareFolder + u"setup.exe", true, shareFolder, shareFolder},
        {u"C:\\" + Units(255) + u"\\setup.exe", true, u"", u""},
        {std::nullopt, false, u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.module.value_or(u"(none)")));
        Reset();
        fake.modulePath = c.module;
        EXPECT_EQ(ResolveModuleFolder(*state), c.found);
        ExpectFields(c.base);
        EXPECT_EQ(WString(ComposePath(*state, 0)), c.root);
    }
}

TEST_F(PathServices, InstallDirIsReadLiterallyAndNormalisedWhenComposed) {
    struct Case { WString stored; bool found; WString base, composed; };
    const Case cases[] = {
        {WString(u"C:\\Program Files\\App\0", 21), true, u"C:\\Program Files\\App\\",
         u"C:\\Program Files\\App\\"},
        {WString(u"C:/Data//App/\0", 14), true, u"C:/Data//App/\\", u"C:\\Data\\App\\"},
        {WString(u"C:\\App\\\0", 8), true, u"C:\\App\\", u"C:\\App\\"},
        {WString(u"\0", 1), true, u"", u""},
        {WString(u"%ProgramFiles%\\App\0", 19), true, u"%ProgramFiles%\\App\\",
         u"%ProgramFiles%\\App\\"},
        {WString(u"C:\\One\0C:\\Two\0\0", 15), true, u"C:\\One\\", u"C:\\One\\"},
        {Units(300) + u'\0', false, u"", u""},
        // 520 bytes with no terminator: its 260 units, stored cut to 259.
        {Units(260), true, Units(259), Units(259)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.stored));
        Reset();
        fake.SetRegistryData(RegistryRoot::LocalMachine, kSubKey, kValue, c.stored);
        EXPECT_EQ(ResolveInstallDir(*state, kSubKey, RegistryRoot::LocalMachine), c.found);
        ExpectFields(c.base);
        EXPECT_EQ(WString(ComposePath(*state, 0)), c.composed);
    }
}

TEST_F(PathServices, PerUserInstallDirWinsWhenTheCallerTriesItFirst) {
    struct Case { std::optional<WString> user, machine; WString base; size_t lookups; };
    const Case cases[] = {
        {u"C:\\User", u"C:\\Machine", u"C:\\User\\", 1},
        {std::nullopt, u"C:\\Machine", u"C:\\Machine\\", 2},
        {std::nullopt, std::nullopt, u"", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.base));
        Reset();
        RecordingServices registry;
        ScopedSystemOverride useRegistry(registry);
        if (c.user) registry.SetRegistryString(RegistryRoot::CurrentUser, kSubKey, kValue, *c.user);
        if (c.machine) {
            registry.SetRegistryString(RegistryRoot::LocalMachine, kSubKey, kValue, *c.machine);
        }
        bool found = ResolveInstallDir(*state, kSubKey, RegistryRoot::CurrentUser) ||
                     ResolveInstallDir(*state, kSubKey, RegistryRoot::LocalMachine);
        EXPECT_EQ(found, !c.base.empty());
        ExpectFields(c.base);
        EXPECT_EQ(registry.registryReads.size(), c.lookups);
    }
}

TEST_F(PathServices, ComposeTurnsSlashesAndReducesDoubledBackslashes) {
    struct Case { WString base, suffix, composed; };
    const Case cases[] = {
        {u"C:\\a\\", u"b", u"C:\\a\\b"},
        {u"C:\\a\\\\b", u"", u"C:\\a\\b"},
        {u"C:\\a\\\\\\b", u"", u"C:\\a\\\\b"},
        {u"C:\\a\\\\\\\\b", u"", u"C:\\a\\\\b"},
        {u"C:\\a\\\\\\\\\\b", u"", u"C:\\a\\\\\\b"},
        {u"C:/a//b/", u"/c", u"C:\\a\\b\\c"},
        {u"C:\\a\\", u"\\b", u"C:\\a\\b"},
        {u"\\\\server\\share\\", u"", u"\\\\server\\share\\"},
        {u"//server/share//dir/", u"", u"\\\\server\\share\\dir\\"},
        {Units(200), Units(100, u'b'), Units(200) + Units(59, u'b')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.base + c.suffix));
        CopyToPathBuffer(state->pathBase, c.base);
        EXPECT_EQ(WString(ComposePath(*state, 0, c.suffix)), c.composed);
    }
}

TEST_F(PathServices, ComposeWritesOnlyTheChosenSlotAndRefusesOthers) {
    CopyToPathBuffer(state->pathBase, u"C:\\Base\\");
    const WChar* two = ComposePath(*state, 2, u"Two");
    EXPECT_EQ(WString(ComposePath(*state, 5, u"Five")), u"");
    EXPECT_EQ(WString(two), u"C:\\Base\\Two");
    EXPECT_EQ(WString(state->pathSlots[1]), u"C:\\Stale\\");
    EXPECT_EQ(WString(state->pathSlots[4]), u"C:\\Stale\\");
}

TEST(PathText, SplitPathTakesDriveFolderNameAndExtension) {
    // Expected parts as drive|folder|name|extension.
    struct Case { WString path; PathStatus status; WString parts; };
    const Case cases[] = {
        {u"C:\\Tools\\Update\\setup.exe", PathStatus::Ok, u"C:|\\Tools\\Update\\|setup|.exe"},
        {u"C:/a.b/c\\name", PathStatus::Ok, u"C:|/a.b/c\\|name|"},
        {u"archive.tar.gz", PathStatus::Ok, u"||archive.tar|.gz"},
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

TEST(PathText, CopyToPathBufferKeepsAtMost259Units) {
    struct Case { WString source; PathStatus status; WString stored; };
    const Case cases[] = {
        {Units(259), PathStatus::Ok, Units(259)},
        {Units(260), PathStatus::Truncated, Units(259)},
        {Units(1000), PathStatus::Truncated, Units(259)},
        {WString(u"C:\\a\0b", 6), PathStatus::Ok, u"C:\\a"},
    };
    for (const Case& c : cases) {
        WChar buffer[kPathUnits];
        std::fill(std::begin(buffer), std::end(buffer), u'x');
        EXPECT_EQ(CopyToPathBuffer(buffer, c.source), c.status);
        EXPECT_EQ(WString(buffer), c.stored);
    }
}
