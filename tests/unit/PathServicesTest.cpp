// The folders paths are built on: the tool's own folder, a product's INSTALLDIR, and the temporary
// file a copy goes to first.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "norvane/SideFiles.h"
#include "paths/ComposePath.h"
#include "paths/InstallDir.h"
#include "paths/PathText.h"
#include "paths/RootFolder.h"
#include "support/RecordingServices.h"

namespace {
using namespace std::string_literals;

WString Units(size_t count, WChar unit = u'a') {
    return WString(count, unit);
}

// A module path of the test's choosing; the registry is the recording stand-in, which fails data
// over 520 bytes as the real query does.
class ModuleServices : public RecordingServices {
public:
    std::optional<WString> ModulePath() override { return modulePath; }
    std::optional<WString> modulePath;
};

// Each resolver, with leftovers of an earlier lookup in place, which it must clear.
TEST(PathServices, ModuleFolderAndInstallDirAreReadLiterallyAndNormalisedWhenComposed) {
    const struct {
        bool module;                  // the module path, else INSTALLDIR's raw data in units
        std::optional<WString> data;  // a string value ends in a zero unit
        bool found;
        WString base, composed = u"";  // composed as the base when empty
    } cases[] = {
        {true, u"C:\\Tools\\Update\\setup.exe", true, u"C:\\Tools\\Update\\"},
        {true, u"\\\\server\\share\\setup.exe", true, u"\\\\server\\share\\"},
        {true, u"C:\\" + Units(255) + u"\\setup.exe", true, u""},  // too long for the split
        {true, std::nullopt, false, u""},
        {false, u"C:/Data//App/\0"s, true, u"C:/Data//App/\\", u"C:\\Data\\App\\"},
        // A run of n backslashes becomes ceil(n/2); a network share's leading pair stays.
        {false, u"C:\\a\\\\b\\\\\\c\\\\\\\\d\\\\\\\\\\e\0"s, true,
         u"C:\\a\\\\b\\\\\\c\\\\\\\\d\\\\\\\\\\e\\", u"C:\\a\\b\\\\c\\\\d\\\\\\e\\"},
        {false, u"//server/share//dir\0"s, true, u"//server/share//dir\\",
         u"\\\\server\\share\\dir\\"},
        // A value that names no folder of its own counts as missing: empty, relative, or a
        // reference left unexpanded (a string value, not an expandable one).
        {false, u"\0"s, false, u""},
        {false, u"%ProgramFiles%\\App\0"s, false, u""},
        {false, u"Vendor\\App\0"s, false, u""},
        {false, u"\\Vendor\\App\0"s, false, u""},
        {false, u"C:Vendor\0"s, false, u""},
        {false, Units(300) + u'\0', false, u""},
        // 520 bytes with no terminator: its 260 units, stored cut to 259.
        {false, u"C:\\" + Units(257), true, u"C:\\" + Units(256)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.data.value_or(u"(none)")));
        ModuleServices services;
        ScopedSystemOverride inPlace(services);
        auto state = std::make_unique<AppState>();
        CopyToPathBuffer(state->pathBase, u"C:\\Stale\\");
        for (auto& slot : state->pathSlots) CopyToPathBuffer(slot, u"C:\\Stale\\");
        services.modulePath = c.data;
        const RegistryRoot root = RegistryRoot::LocalMachine;
        services.registry[{root, u"Software\\App", u"INSTALLDIR"}] = c.data.value_or(u"");
        EXPECT_EQ(c.module ? ResolveModuleFolder(*state)
                           : ResolveInstallDir(*state, u"Software\\App", root),
                  c.found);
        EXPECT_EQ(Narrow(state->pathBase), Narrow(c.base));
        EXPECT_EQ(Narrow(state->pathSlots[3]), "");
        EXPECT_EQ(Narrow(ComposePath(*state, 0)), Narrow(c.composed.empty() ? c.base : c.composed));
    }
}

// The files a replacement makes beside a destination are named after it, so that a leftover
// says whose it is; and wherever the destination fits the system's path limit they work too:
// they fit, or take the "\\?\" form, which has no limit and takes only a full path.
TEST(SideFiles, NamedAfterTheirDestinationAndUsableWhereItIs) {
    const struct {
        WString fileName;
        SideKind kind;
        int attempt;
        WString sideName;
    } names[] = {
        {u"Table.dat", SideKind::New, 1, u"Table.dat~norvane.new"},
        {u"Table.dat", SideKind::Old, 12, u"Table.dat~norvane12.old"},
        // Too long to take the suffix: cut to the longest name, which says it may be cut.
        {Units(244), SideKind::New, 1, Units(243) + u"~norvane.new"},
    };
    for (const auto& c : names) {
        EXPECT_EQ(Narrow(SideName(c.fileName, c.kind, c.attempt)), Narrow(c.sideName));
        const auto parsed = ParseSideName(c.sideName);
        ASSERT_TRUE(parsed) << Narrow(c.sideName);
        EXPECT_EQ(parsed->kind, c.kind);
        EXPECT_EQ(parsed->cut, c.fileName.size() >= 244);
        EXPECT_EQ(Narrow(parsed->owner), Narrow(c.fileName.substr(0, 243)));
    }
    EXPECT_EQ(Narrow(ParseSideName(u"A.DLL~NORVANE.OLD").value().owner), "A.DLL");
    for (const WString name : {u"a~norvane.txt", u"a.new", u"anorvane.new", u"a~norvane2x.new"}) {
        EXPECT_FALSE(ParseSideName(name)) << Narrow(name);
    }

    const struct {
        size_t folderUnits;
        WString sideName;
        bool longForm;
    } paths[] = {
        {242, u"a.dll~norvane.new", false},  // 259 units
        {243, u"a.dll~norvane.new", true},
        {243, u"sub/../a.dll~norvane.new", true},
    };
    for (const auto& c : paths) {
        const WString folder = u"C:\\" + Units(c.folderUnits - 4, u'f') + u"\\";
        EXPECT_EQ(Narrow(SidePath(folder, c.sideName)),
                  Narrow((c.longForm ? u"\\\\?\\" : u"") + folder + u"a.dll~norvane.new"))
            << c.folderUnits << " " << Narrow(c.sideName);
    }
}

#ifdef _WIN32
// The installation folder read from the real registry through the product's own services.
const std::wstring kTestKey = L"Software\\NorvaneUnitTest";  // removed before and after

TEST(Registry, InstallDirUnderTheCurrentUserIsReadAsItsTypeSays) {
    const struct {
        const wchar_t* key;
        DWORD type;
        std::wstring data;  // stored whole, or its first `units` units
        bool found;
        WString base;
        size_t units = 0;
        const wchar_t* value = L"INSTALLDIR";
    } cases[] = {
        // An expandable string means the folder its references name on this machine; a plain
        // string keeps them literal, and is then no absolute path.
        {L"Expandable", REG_EXPAND_SZ, std::wstring(L"%NORVANE_TEST_ROOT%\\App", 24), true,
         u"C:\\Vendor\\App\\"},
        {L"Literal", REG_SZ, std::wstring(L"%NORVANE_TEST_ROOT%\\App", 24), false, u""},
        {L"Several", REG_MULTI_SZ, std::wstring(L"C:\\One\0C:\\Two\0\0", 15), true, u"C:\\One\\"},
        {L"Empty", REG_SZ, std::wstring(1, L'\0'), false, u""},
        {L"TooLong", REG_SZ, std::wstring(300, L'a') + L'\0', false, u""},
        // 520 bytes with no terminator. The unit after them is not zero either: the registry
        // counts a zero there in, taking the stored string for one whose terminator was forgotten.
        {L"FullBuffer", REG_SZ, L"C:\\" + std::wstring(258, L'a'), true,
         u"C:\\" + WString(256, u'a'), 260},
        // A key without the value, and no key at all.
        {L"OtherValue", REG_SZ, std::wstring(L"C:\\App", 7), false, u"", 0, L"InstallPath"},
        {L"NoSuchKey", 0, L"", false, u""},
    };
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey.c_str());
    ::SetEnvironmentVariableW(L"NORVANE_TEST_ROOT", L"C:\\Vendor");
    auto state = std::make_unique<AppState>();
    for (const auto& c : cases) {
        const std::wstring key = kTestKey + L"\\" + c.key;
        const WString subKey(key.begin(), key.end());
        SCOPED_TRACE(Narrow(subKey));
        if (c.type != 0) {
            const size_t units = c.units ? c.units : c.data.size();
            EXPECT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), c.value, c.type,
                                        c.data.data(), static_cast<DWORD>(units * sizeof(wchar_t))),
                      ERROR_SUCCESS);
        }
        EXPECT_EQ(ResolveInstallDir(*state, subKey, RegistryRoot::CurrentUser), c.found);
        EXPECT_EQ(Narrow(state->pathBase), Narrow(c.base));
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey.c_str());
}
#endif
}  // namespace
