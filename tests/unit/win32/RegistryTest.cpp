// The installation folder read from the real registry through the product's own services.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "paths/PathServices.h"
#include "support/TempFolder.h"

namespace {
const wchar_t kTestKey[] = L"Software\\NorvaneUnitTest";

// Removes the whole test key whatever the test's outcome.
class TestKey {
public:
    TestKey() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }
    ~TestKey() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    // Stores the first `units` units of `data` (all of them when zero).
    static void Write(const std::wstring& subKey, const wchar_t* valueName, DWORD type,
                      const std::wstring& data, size_t units = 0) {
        std::wstring key = std::wstring(kTestKey) + L"\\" + subKey;
        DWORD bytes = static_cast<DWORD>((units ? units : data.size()) * sizeof(wchar_t));
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), valueName, type, data.data(),
                                    bytes),
                  ERROR_SUCCESS);
    }
};

WString Wide(const std::wstring& text) {
    return WString(text.begin(), text.end());
}
}  // namespace

TEST(Registry, InstallDirUnderTheCurrentUserIsReadWhateverItsType) {
    struct Case {
        const wchar_t* key;
        DWORD type;
        std::wstring data;
        bool found;
        WString base;
        size_t units = 0;
    };
    const Case cases[] = {
        {L"Plain", REG_SZ, std::wstring(L"C:\\Program Files\\App", 21), true,
         u"C:\\Program Files\\App\\"},
        {L"Expandable", REG_EXPAND_SZ, std::wstring(L"%ProgramFiles%\\App", 19), true,
         u"%ProgramFiles%\\App\\"},
        {L"Several", REG_MULTI_SZ, std::wstring(L"C:\\One\0C:\\Two\0\0", 15), true, u"C:\\One\\"},
        {L"Empty", REG_SZ, std::wstring(1, L'\0'), true, u""},
        {L"TooLong", REG_SZ, std::wstring(300, L'a') + L'\0', false, u""},
        // 520 bytes with no terminator. The unit after them is not zero either: the registry
        // counts a zero there in, taking the stored string for one whose terminator was forgotten.
        {L"FullBuffer", REG_SZ, std::wstring(261, L'a'), true, WString(259, u'a'), 260},
    };
    TestKey testKey;
    for (const Case& c : cases) TestKey::Write(c.key, L"INSTALLDIR", c.type, c.data, c.units);
    TestKey::Write(L"OtherValue", L"InstallPath", REG_SZ, std::wstring(L"C:\\App", 7));

    auto state = std::make_unique<AppState>();
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(Wide(c.key)));
        WString subKey = Wide(kTestKey) + u"\\" + Wide(c.key);
        EXPECT_EQ(ResolveInstallDir(*state, subKey, RegistryRoot::CurrentUser), c.found);
        EXPECT_EQ(WString(state->pathBase), c.base);
    }
    for (const WString missing : {u"OtherValue", u"NoSuchKey"}) {
        EXPECT_FALSE(ResolveInstallDir(*state, Wide(kTestKey) + u"\\" + missing,
                                       RegistryRoot::CurrentUser));
    }
}
