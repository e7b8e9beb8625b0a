#include "RegistryScope.h"

#include <stdexcept>

#include "Files.h"
#include "TextForm.h"

namespace {

bool Open(HKEY root, const std::wstring& subKey, REGSAM access, UniqueHkey& key) {
    return RegOpenKeyExW(root, subKey.c_str(), 0, access, key.put()) == ERROR_SUCCESS;
}

// The highest key along the path that is missing, or empty when the whole path exists.
std::wstring HighestMissingKey(HKEY root, const std::wstring& subKey, REGSAM view) {
    for (size_t at = 0;;) {
        at = subKey.find(L'\\', at + 1);
        const std::wstring part = subKey.substr(0, at);
        UniqueHkey key;
        if (!Open(root, part, KEY_READ | view, key)) return part;
        if (at == std::wstring::npos) return {};
    }
}

}  // namespace

RegistryScope::~RegistryScope() {
    // Newest first, so that a value overwritten twice ends with its first data.
    for (auto saved = saved_.rbegin(); saved != saved_.rend(); ++saved) {
        UniqueHkey key;
        if (saved->createdKey) {
            const size_t at = saved->subKey.rfind(L'\\');
            const std::wstring parent =
                at == std::wstring::npos ? L"" : saved->subKey.substr(0, at);
            const std::wstring leaf = saved->subKey.substr(at == std::wstring::npos ? 0 : at + 1);
            if (Open(saved->root, parent, KEY_ALL_ACCESS | saved->view, key)) {
                RegDeleteTreeW(key.get(), leaf.c_str());
                RegDeleteKeyExW(key.get(), leaf.c_str(), saved->view, 0);
            }
        } else if (Open(saved->root, saved->subKey, KEY_SET_VALUE | saved->view, key)) {
            if (saved->data) {
                RegSetValueExW(key.get(), saved->name.c_str(), 0, saved->type, saved->data->data(),
                               static_cast<DWORD>(saved->data->size()));
            } else {
                RegDeleteValueW(key.get(), saved->name.c_str());
            }
        }
    }
}

void RegistryScope::SetString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                              const std::wstring& data, std::initializer_list<RegistryView> views) {
    // Every old state is taken before any write, since the views may share the key.
    for (RegistryView named : views) {
        const REGSAM view = static_cast<REGSAM>(named);
        Saved saved{root, subKey, name, view, false, std::nullopt, REG_NONE};
        const std::wstring missing = HighestMissingKey(root, subKey, view);
        UniqueHkey key;
        DWORD size = 0;
        if (!missing.empty()) {
            saved.subKey = missing;
            saved.createdKey = true;
        } else if (Open(root, subKey, KEY_QUERY_VALUE | view, key) &&
                   RegQueryValueExW(key.get(), name.c_str(), nullptr, &saved.type, nullptr,
                                    &size) == ERROR_SUCCESS) {
            saved.data.emplace(size);
            RegQueryValueExW(key.get(), name.c_str(), nullptr, &saved.type, saved.data->data(),
                             &size);
            saved.data->resize(size);
        }
        saved_.push_back(std::move(saved));
    }
    for (RegistryView view : views) {
        UniqueHkey key;
        LSTATUS status =
            RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE | static_cast<REGSAM>(view), nullptr, key.put(), nullptr);
        if (status == ERROR_SUCCESS) {
            status = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(data.c_str()),
                                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        }
        if (status != ERROR_SUCCESS) {
            throw std::runtime_error("setting the registry value " + ToUtf8(subKey) + "\\" +
                                     ToUtf8(name) + " failed, error " + std::to_string(status));
        }
    }
}
