#include "platform/win32/PathAnswers.h"

std::optional<std::wstring> FullPathOf(const wchar_t* path) {
    const DWORD needed = ::GetFullPathNameW(path, 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path, needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return std::nullopt;
    full.resize(length);
    return full;
}

std::optional<std::wstring> FinalPathOf(HANDLE handle, DWORD flags) {
    const DWORD needed = ::GetFinalPathNameByHandleW(handle, nullptr, 0, flags);
    if (needed == 0) return std::nullopt;
    std::wstring path(needed, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(handle, path.data(), needed, flags);
    if (length == 0 || length >= needed) return std::nullopt;
    path.resize(length);
    return path;
}
