#pragma once
// A symbolic link to a file, as another user could plant one where the tool writes. Natively and
// on Windows the system makes and removes it. Wine (8) makes none: CreateSymbolicLinkW reports
// success and makes nothing, and it shows a Unix link to a file as a plain file, a link to
// nothing as no file at all; DeleteFileW on the link removes its target and leaves the link,
// which std::filesystem::remove_all then never gets past. A Windows program there can start a
// Linux one, though: `ln -s` and `rm` work on the Unix names of the paths.
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace file_links {
#ifdef _WIN32
// Runs /usr/bin/`program` on the Unix names of `paths`, then waits until `done`, since Wine
// starts a Linux program with no handle to wait on. False under Windows, or when it never is.
template <typename Done>
bool RunOnUnixNames(const wchar_t* program, const std::vector<std::filesystem::path>& paths,
                    Done done) {
    using UnixName = char*(__cdecl*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr) return false;
    std::wstring command = std::wstring(L"Z:\\usr\\bin\\") + program;
    for (const std::filesystem::path& path : paths) {
        char* name = unixName(path.c_str());
        if (name == nullptr) return false;
        command += L" \"" + std::filesystem::u8path(name).wstring() + L"\"";
        ::HeapFree(::GetProcessHeap(), 0, name);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process)) {
        return false;
    }
    for (HANDLE handle : {process.hThread, process.hProcess}) {
        if (handle != nullptr) ::CloseHandle(handle);
    }
    for (int look = 0; look < 500; ++look, ::Sleep(10)) {
        if (done()) return true;
    }
    return false;
}

inline bool Shown(const std::filesystem::path& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
#endif
}  // namespace file_links

// `target` must exist (a link to nothing is had by removing the target after). False when this
// system cannot make the link.
inline bool MakeFileSymlink(const std::filesystem::path& target,
                            const std::filesystem::path& link) {
#ifdef _WIN32
    if (file_links::RunOnUnixNames(L"ln -s", {target, link},
                                   [&] { return file_links::Shown(link); })) {
        return true;
    }
    return ::CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                 SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
           (::GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#else
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    return !error;
#endif
}

// Removes the link itself, never its target; the target must exist.
inline void RemoveFileSymlink(const std::filesystem::path& link) {
#ifdef _WIN32
    if (file_links::RunOnUnixNames(L"rm -f", {link}, [&] { return !file_links::Shown(link); })) {
        return;
    }
#endif
    std::error_code error;
    std::filesystem::remove(link, error);
}
