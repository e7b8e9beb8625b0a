#include "RegistryScope.h"

#include <stdexcept>

#include "TextForm.h"
#include "UniqueHandle.h"

namespace {

bool KeyExists(HKEY root, const std::wstring& subKey, RegistryView view) {
    UniqueKey key;
    return RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | static_cast<REGSAM>(view), key.put()) ==
           ERROR_SUCCESS;
}

// The highest key along the path that is missing, or empty when the whole path exists.
std::wstring HighestMissingKey(HKEY root, const std::wstring& subKey, RegistryView view) {
    size_t at = 0;
    while (true) {
        at = subKey.find(L'\\', at + 1);
        const std::wstring part = subKey.substr(0, at);
        if (!KeyExists(root, part, view)) return part;
        if (at == std::wstring::npos) return {};
    }
}

void DeleteKeyTree(HKEY root, const std::wstring& subKey, RegistryView view) {
    const size_t at = subKey.rfind(L'\\');
    const std::wstring parentPath = at == std::wstring::npos ? std::wstring() : subKey.substr(0, at);
    const std::wstring leaf = at == std::wstring::npos ? subKey : subKey.substr(at + 1);
    UniqueKey parent;
    if (RegOpenKeyExW(root, parentPath.c_str(), 0, KEY_ALL_ACCESS | static_cast<REGSAM>(view), parent.put()) !=
        ERROR_SUCCESS) {
        return;
    }
    RegDeleteTreeW(parent.get(), leaf.c_str());
    RegDeleteKeyExW(parent.get(), leaf.c_str(), static_cast<REGSAM>(view), 0);
}

}  // namespace

RegistryScope::~RegistryScope() {
    // Newest first, so that a value overwritten twice ends with its first data.
    for (auto value = saved_.rbegin(); value != saved_.rend(); ++value) {
        UniqueKey key;
        if (RegOpenKeyExW(value->root, value->subKey.c_str(), 0, KEY_SET_VALUE | static_cast<REGSAM>(value->view),
                          key.put()) != ERROR_SUCCESS) {
            continue;
        }
        if (value->data) {
            RegSetValueExW(key.get(), value->name.c_str(), 0, value->type, value->data->data(),
                           static_cast<DWORD>(value->data->size()));
        } else {
            RegDeleteValueW(key.get(), value->name.c_str());
        }
    }
    for (auto key = created_.rbegin(); key != created_.rend(); ++key) {
        DeleteKeyTree(key->root, key->subKey, key->view);
    }
}

void RegistryScope::Remember(HKEY root, const std::wstring& subKey, const std::wstring& name, RegistryView view) {
    const std::wstring missing = HighestMissingKey(root, subKey, view);
    if (!missing.empty()) {
        created_.push_back({root, missing, view});
        return;
    }
    SavedValue value{root, subKey, name, view, std::nullopt, REG_NONE};
    UniqueKey key;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE | static_cast<REGSAM>(view), key.put()) ==
        ERROR_SUCCESS) {
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<BYTE> data(size);
            RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, data.data(), &size);
            data.resize(size);
            value.data = std::move(data);
        }
    }
    saved_.push_back(std::move(value));
}

void RegistryScope::SetString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                              const std::wstring& data, RegistryView view) {
    Remember(root, subKey, name, view);
    Write(root, subKey, name, data, view);
}

void RegistryScope::SetStringInBothViews(HKEY root, const std::wstring& subKey, const std::wstring& name,
                                         const std::wstring& data) {
    // Both old states are taken before either write, since the views may share the key.
    Remember(root, subKey, name, RegistryView::Bits64);
    Remember(root, subKey, name, RegistryView::Bits32);
    Write(root, subKey, name, data, RegistryView::Bits64);
    Write(root, subKey, name, data, RegistryView::Bits32);
}

void RegistryScope::Write(HKEY root, const std::wstring& subKey, const std::wstring& name,
                          const std::wstring& data, RegistryView view) {
    UniqueKey key;
    LSTATUS status = RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE | static_cast<REGSAM>(view), nullptr, key.put(), nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("setting the registry value " + ToUtf8(subKey) + "\\" + ToUtf8(name) +
                                 " failed, error " + std::to_string(status));
    }
}

std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                                               RegistryView view) {
    UniqueKey key;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE | static_cast<REGSAM>(view), key.put()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}
