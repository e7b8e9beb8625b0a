#pragma once
// Registry values that a case sets in the test prefix and takes back when it ends: keys it created
// are deleted, values it overwrote get their old data back. The driver runs inside Wine, so it
// writes the prefix's registry itself. The view is always named: a 32-bit program reads
// HKLM\Software through the 32-bit view (Wow6432Node), a 64-bit one through the 64-bit view.
#include <windows.h>

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

    // Sets a REG_SZ value (an empty name is the key's default value); throws on failure.
    void SetString(HKEY root, const std::wstring& subKey, const std::wstring& name, const std::wstring& data,
                   RegistryView view);
    // Sets the value in both views; where the views share the key, it is the same value.
    void SetStringInBothViews(HKEY root, const std::wstring& subKey, const std::wstring& name,
                              const std::wstring& data);

private:
    struct SavedValue {
        HKEY root;
        std::wstring subKey;
        std::wstring name;
        RegistryView view;
        std::optional<std::vector<BYTE>> data;  // none: the value did not exist
        DWORD type;
    };
    struct CreatedKey {
        HKEY root;
        std::wstring subKey;  // the highest key that did not exist before
        RegistryView view;
    };

    void Remember(HKEY root, const std::wstring& subKey, const std::wstring& name, RegistryView view);
    static void Write(HKEY root, const std::wstring& subKey, const std::wstring& name, const std::wstring& data,
                      RegistryView view);

    std::vector<SavedValue> saved_;
    std::vector<CreatedKey> created_;
};

// Reads a REG_SZ value; none when the key or the value is missing.
std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                                               RegistryView view);
