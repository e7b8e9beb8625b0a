#include "platform/win32/OpenLogFile.h"

#include <optional>
#include <string>

#include "platform/SystemServices.h"
#include "platform/win32/PathAnswers.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideEdge.h"

namespace {
// Appending only: every write lands at the end, also when another run writes the same file.
constexpr DWORD kLogAccess = FILE_APPEND_DATA | SYNCHRONIZE | FILE_READ_ATTRIBUTES;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A file that goes between the try to make it and the open is made anew, a few times; a name
// that stays taken to the one and missing to the other is a link that leads nowhere.
constexpr int kAttempts = 3;

HANDLE OpenAtName(const WString& path, DWORD disposition) {
    return ::CreateFileW(AsWide(path), kLogAccess, kShareAll, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// The path of an open file or folder in the system's own form (device, no drive letter), which
// names the same file one way only, however it was reached.
std::optional<std::wstring> FinalPath(HANDLE handle) {
    return FinalPathOf(handle, VOLUME_NAME_NT);
}

// Where the name itself lies: its folder's final path, and the name as the folder lists it (its
// long form). A link in the folders above is no concern here; the folder is the deployer's.
std::optional<std::wstring> NamedPath(const WString& path) {
    const std::optional<std::wstring> fullPath = FullPathOf(AsWide(path));
    if (!fullPath) return std::nullopt;
    const std::wstring& full = *fullPath;
    const size_t slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos) return std::nullopt;
    UniqueFile folder(::CreateFileW(full.substr(0, slash + 1).c_str(), FILE_READ_ATTRIBUTES,
                                    kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr));
    if (!folder) return std::nullopt;
    std::optional<std::wstring> named = FinalPath(folder.get());
    WIN32_FIND_DATAW listed{};
    const UniqueFind search(::FindFirstFileW(full.c_str(), &listed));
    if (!search || !named) return std::nullopt;
    if (!named->empty() && named->back() == L'\\') named->pop_back();
    return *named + L"\\" + listed.cFileName;
}

// 0 when the open file is the one at the name and has no other name.
uint32_t CheckOwnFile(HANDLE file, const WString& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return ::GetLastError();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return kErrorStoppedOnSymlink;
    if (info.nNumberOfLinks > 1) return kErrorTooManyLinks;
    // A link at the name that the open followed all the same (Wine follows a Unix link to a
    // file, and reports it as a plain file) leads to a file of another path.
    const std::optional<std::wstring> opened = FinalPath(file);
    const std::optional<std::wstring> named = NamedPath(path);
    if (!opened || !named) {
        const DWORD error = ::GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_CANT_RESOLVE_FILENAME;
    }
    if (::CompareStringOrdinal(opened->c_str(), -1, named->c_str(), -1, TRUE) != CSTR_EQUAL) {
        return kErrorStoppedOnSymlink;
    }
    return ERROR_SUCCESS;
}
}  // namespace

uint32_t OpenLogFile(const WString& path, HANDLE& handle) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        UniqueFile file(OpenAtName(path, CREATE_NEW));
        if (!file) {
            const DWORD made = ::GetLastError();
            if (made != ERROR_FILE_EXISTS && made != ERROR_ALREADY_EXISTS) return made;
            file.reset(OpenAtName(path, OPEN_EXISTING));
            if (!file && ::GetLastError() == ERROR_FILE_NOT_FOUND) continue;
            if (!file) return ::GetLastError();
        }
        if (const uint32_t error = CheckOwnFile(file.get(), path)) return error;
        handle = file.release();
        return ERROR_SUCCESS;
    }
    return kErrorStoppedOnSymlink;
}
