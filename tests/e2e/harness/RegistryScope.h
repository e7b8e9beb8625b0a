#pragma once
// Registry values that a case sets in the test prefix and takes back when it ends: keys it created
// are deleted, values it overwrote get their old data back. The driver runs inside Wine, so it
// writes the prefix's registry itself. The view is always named: a 32-bit program reads
// HKLM\Software through the 32-bit view (Wow6432Node), a 64-bit one through the 64-bit view.
#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

enum class RegistryView : REGSAM { Bits32 = KEY_WOW64_32KEY, Bits64 = KEY_WOW64_64KEY };

class RegistryScope {
public:
    RegistryScope() = default;
    RegistryScope(const RegistryScope&) = delete;
    RegistryScope& operator=(const RegistryScope&) = delete;
    ~RegistryScope();

    // Sets a REG_SZ value (an empty name is the key's default value) in each view given; where
    // the views share the key, it is the same value. Throws on failure.
    void SetString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                   const std::wstring& data,
                   std::initializer_list<RegistryView> views = {RegistryView::Bits64,
                                                                RegistryView::Bits32});

private:
    // A value as it was, or (createdKey) the highest key along a path that did not exist.
    struct Saved {
        HKEY root;
        std::wstring subKey;
        std::wstring name;
        REGSAM view;
        bool createdKey;
        std::optional<std::vector<BYTE>> data;  // none: the value did not exist
        DWORD type;
    };
    std::vector<Saved> saved_;
};
