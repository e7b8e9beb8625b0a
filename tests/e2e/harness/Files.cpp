#include "Files.h"

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "TextForm.h"

namespace {

std::runtime_error SystemFailure(const char* what, const std::wstring& path) {
    return std::runtime_error(std::string(what) + " " + ToUtf8(path) + " failed, error " +
                              std::to_string(GetLastError()));
}

std::wstring WithBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::wstring WorkFolder(std::wstring_view relative) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return WithBackslash(std::wstring(temp) + L"norvane-e2e\\" + std::wstring(relative));
}

// Calls `visit` with the name and the attributes of every entry of the folder.
void ForEachEntry(const std::wstring& folder,
                  const std::function<void(const std::wstring&, DWORD)>& visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((WithBackslash(folder) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") visit(name, found.dwFileAttributes);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

std::wstring FreshWorkFolder(std::wstring_view relative) {
    const std::wstring folder = WorkFolder(relative);
    RemoveTree(folder);
    MakeFolders(folder);
    return folder;
}

void RemoveWorkFolderIfEmpty(std::wstring_view relative) {
    RemoveDirectoryW(WorkFolder(relative).c_str());
}

void RemoveTree(const std::wstring& folder) {
    const std::wstring base = WithBackslash(folder);
    ForEachEntry(base, [&](const std::wstring& name, DWORD attributes) {
        const std::wstring path = base + name;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveTree(path);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    });
    SetFileAttributesW(base.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(base.c_str());
}

void MakeFolders(const std::wstring& folder) {
    const std::wstring path = WithBackslash(folder);
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
        const std::wstring part = path.substr(0, at);
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            throw SystemFailure("creating the folder", part);
        }
    }
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    MakeFolders(FolderOf(path));
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        throw SystemFailure("writing", path);
    }
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return std::nullopt;
    }
    bytes.resize(read);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FilesIn(const std::wstring& folder, const std::wstring& prefix) {
    std::wstring list;
    ForEachEntry(folder + prefix, [&](const std::wstring& name, DWORD attributes) {
        list += attributes & FILE_ATTRIBUTE_DIRECTORY ? FilesIn(folder, prefix + name + L"\\")
                                                      : prefix + name + L"\n";
    });
    return list;
}

bool FileNameWorks(std::wstring_view name) {
    const std::wstring probe = FreshWorkFolder(L"name-probe") + std::wstring(name);
    const bool works = CreateDirectoryW(probe.c_str(), nullptr) != FALSE;
    RemoveTree(FolderOf(probe));
    RemoveWorkFolderIfEmpty(L"");
    return works;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t at = path.find_last_of(L"\\/");
    return at == std::wstring::npos ? std::wstring() : path.substr(0, at + 1);
}

std::wstring ModuleFolder() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return FolderOf(std::wstring(buffer.data(), length));
}

std::wstring FullPath(const std::wstring& path) {
    std::wstring windowsPath = path;
    if (!windowsPath.empty() && windowsPath[0] == L'/') {
        // Under Wine the build hands the driver Unix paths; Wine's own export gives their DOS
        // form, and its default mapping of the Unix root to drive Z: serves when it is missing.
        using DosNameOf = wchar_t*(CDECL*)(const char*);
        const auto dosNameOf = reinterpret_cast<DosNameOf>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
        wchar_t* dosName = dosNameOf ? dosNameOf(ToUtf8(path).c_str()) : nullptr;
        windowsPath = dosName ? std::wstring(dosName) : L"Z:" + path;
        if (dosName) HeapFree(GetProcessHeap(), 0, dosName);
    }
    for (wchar_t& unit : windowsPath) {
        if (unit == L'/') unit = L'\\';
    }
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetFullPathNameW(windowsPath.c_str(), static_cast<DWORD>(buffer.size()),
                                          buffer.data(), nullptr);
    return length ? std::wstring(buffer.data(), length) : windowsPath;
}
