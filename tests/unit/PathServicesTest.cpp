#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "paths/PathServices.h"
#include "support/TempFolder.h"  // Narrow

namespace {
// The system's own path functions with a module path and registry values of the test's choosing,
// so the same cases run natively and under Wine without touching the real registry.
class FakeSystem : public SystemServices {
public:
    std::optional<WString> modulePath;
    // Value data as stored, terminator included when the value has one; read back as the
    // Win32 service does: up to 520 bytes, text up to the first zero unit.
    std::map<std::pair<RegistryRoot, WString>, WString> installDir;
    std::vector<RegistryRoot> opened;

    std::optional<WString> ModulePath() override { return modulePath; }
    std::optional<WString> ReadRegistryString(RegistryRoot root, const WString& subKey,
                                              const WString& valueName) override {
        opened.push_back(root);
        auto found = installDir.find({root, subKey});
        if (valueName != u"INSTALLDIR" || found == installDir.end()) return std::nullopt;
        if (found->second.size() * 2 > 520) return std::nullopt;
        return found->second.substr(0, found->second.find(u'\0'));
    }

    SystemServices& n = NativeSystem();
    int AnsiToWide(const char* b, int c, WChar* o, int k) override { return n.AnsiToWide(b, c, o, k); }
    int WideToAnsi(const WChar* u, int c, char* o, int k) override { return n.WideToAnsi(u, c, o, k); }
    uint32_t GetAttributes(const WString& p) override { return n.GetAttributes(p); }
    bool SetAttributes(const WString& p, uint32_t a) override { return n.SetAttributes(p, a); }
    bool IsDirectory(const WString& p) override { return n.IsDirectory(p); }
    bool MakeDirectory(const WString& p) override { return n.MakeDirectory(p); }
    OpenForReadResult ProbeOpenForRead(const WString& p) override { return n.ProbeOpenForRead(p); }
    bool IsRelativePath(const WString& p) override { return n.IsRelativePath(p); }
    int DriveNumber(const WString& p) override { return n.DriveNumber(p); }
    void AppendPath(WChar* b, const WString& m) override { n.AppendPath(b, m); }
    void AddBackslashInPlace(WChar* b) override { n.AddBackslashInPlace(b); }
    void StripPath(WChar* b) override { n.StripPath(b); }
    void RemoveExtension(WChar* b) override { n.RemoveExtension(b); }
    void RemoveFileSpec(WChar* b) override { n.RemoveFileSpec(b); }
    void DebugOutput(const WString& t) override { n.DebugOutput(t); }
    uint32_t LastError() override { return n.LastError(); }
    std::optional<WString> SystemErrorText(uint32_t c) override { return n.SystemErrorText(c); }
    void ShowMessage(WindowHandle o, const WString& t, const WChar* c, uint32_t f) override {
        n.ShowMessage(o, t, c, f);
    }
};

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
        fake.installDir = {{{RegistryRoot::LocalMachine, u"Software\\App"}, c.stored}};
        EXPECT_EQ(ResolveInstallDir(*state, u"Software\\App", RegistryRoot::LocalMachine), c.found);
        ExpectFields(c.base);
        EXPECT_EQ(WString(ComposePath(*state, 0)), c.composed);
    }
}

TEST_F(PathServices, PerUserInstallDirWinsWhenTheCallerTriesItFirst) {
    struct Case { std::optional<WString> user, machine; WString base; size_t lookups; };
    const Case cases[] = {
        {WString(u"C:\\User\0", 8), WString(u"C:\\Machine\0", 11), u"C:\\User\\", 1},
        {std::nullopt, WString(u"C:\\Machine\0", 11), u"C:\\Machine\\", 2},
        {std::nullopt, std::nullopt, u"", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.base));
        Reset();
        fake.installDir.clear();
        fake.opened.clear();
        if (c.user) fake.installDir[{RegistryRoot::CurrentUser, u"Software\\App"}] = *c.user;
        if (c.machine) fake.installDir[{RegistryRoot::LocalMachine, u"Software\\App"}] = *c.machine;
        bool found = ResolveInstallDir(*state, u"Software\\App", RegistryRoot::CurrentUser) ||
                     ResolveInstallDir(*state, u"Software\\App", RegistryRoot::LocalMachine);
        EXPECT_EQ(found, !c.base.empty());
        ExpectFields(c.base);
        EXPECT_EQ(fake.opened.size(), c.lookups);
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

TEST(PathText, AddBackslashAppendsOnlyWhereItBelongs) {
    struct Case { WString text, expected; };
    const Case cases[] = {
        {u"", u""},
        {u"C:\\a", u"C:\\a\\"},
        {u"C:\\a\\", u"C:\\a\\"},
        {u"C:/a/", u"C:/a/\\"},
        {Units(257), Units(257) + u"\\"},
        {Units(300), Units(300)},
    };
    for (const Case& c : cases) {
        WString text = c.text;
        AddBackslash(text);
        EXPECT_EQ(text, c.expected) << Narrow(c.text);
    }
}

TEST(PathText, SplitPathTakesDriveFolderNameAndExtension) {
    struct Case { WString path; PathStatus status; WString drive, folder, name, extension; };
    const Case cases[] = {
        {u"C:\\Tools\\Update\\setup.exe", PathStatus::Ok, u"C:", u"\\Tools\\Update\\", u"setup", u".exe"},
        {u"C:/a.b/c\\name", PathStatus::Ok, u"C:", u"/a.b/c\\", u"name", u""},
        {u"archive.tar.gz", PathStatus::Ok, u"", u"", u"archive.tar", u".gz"},
        {u"\\\\server\\share\\f", PathStatus::Ok, u"", u"\\\\server\\share\\", u"f", u""},
        {u"C:file", PathStatus::Ok, u"C:", u"", u"file", u""},
        {u"C:\\Data\\App\\", PathStatus::Ok, u"C:", u"\\Data\\App\\", u"", u""},
        {u"C:\\" + Units(253) + u"\\x", PathStatus::Ok, u"C:", u"\\" + Units(253) + u"\\", u"x", u""},
        {u"C:\\" + Units(254) + u"\\x", PathStatus::RangeError, u"", u"", u"", u""},
        {u"C:\\" + Units(256), PathStatus::RangeError, u"", u"", u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        PathParts parts;
        EXPECT_EQ(SplitPath(c.path, parts), c.status);
        EXPECT_EQ(WString(parts.drive), c.drive);
        EXPECT_EQ(WString(parts.folder), c.folder);
        EXPECT_EQ(WString(parts.name), c.name);
        EXPECT_EQ(WString(parts.extension), c.extension);
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
