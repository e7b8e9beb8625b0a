// The services of the copy: each calls the Win32 function named for it and answers its error
// code.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/win32/OpenLogFile.h"
#include "platform/win32/PathAnswers.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideEdge.h"
#include "platform/win32/Win32Services.h"

namespace {
uint32_t CodeOf(BOOL succeeded) {
    return succeeded ? ERROR_SUCCESS : ::GetLastError();
}

uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t Size(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

class Win32File : public SystemFile {
public:
    explicit Win32File(HANDLE handle) : file_(handle) {}

    uint32_t Read(uint8_t* buffer, uint32_t capacity, uint32_t& count) override {
        DWORD read = 0;
        const uint32_t error = CodeOf(::ReadFile(file_.get(), buffer, capacity, &read, nullptr));
        count = read;
        return error;
    }
    uint32_t Write(const uint8_t* data, uint32_t size) override {
        DWORD written = 0;
        const uint32_t error = CodeOf(::WriteFile(file_.get(), data, size, &written, nullptr));
        return error != 0 || written == size ? error : ERROR_WRITE_FAULT;
    }
    uint32_t Rewind() override {
        const LARGE_INTEGER start{};
        return CodeOf(::SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN));
    }
    uint64_t LastWriteTime() override {
        FILETIME written{};
        return ::GetFileTime(file_.get(), nullptr, nullptr, &written) ? Ticks(written) : 0;
    }
    uint32_t Stamp(uint32_t attributes, uint64_t lastWriteTime) override {
        FILE_BASIC_INFO info{};
        info.FileAttributes = attributes;
        info.LastWriteTime.QuadPart = static_cast<LONGLONG>(lastWriteTime);
        return CodeOf(::SetFileInformationByHandle(file_.get(), FileBasicInfo, &info, sizeof info));
    }
    uint32_t Attributes() override {
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (!::GetFileInformationByHandleEx(file_.get(), FileAttributeTagInfo, &tag, sizeof tag)) {
            return INVALID_FILE_ATTRIBUTES;
        }
        return tag.FileAttributes;
    }
    std::optional<WString> FinalPath() override {
        const std::optional<std::wstring> path =
            FinalPathOf(file_.get(), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (!path) return std::nullopt;
        // The "\\?\" form the system answers with, as the tool writes paths.
        if (path->compare(0, 8, L"\\\\?\\UNC\\") == 0)
            return FromWide((L"\\" + path->substr(7)).c_str());
        if (path->compare(0, 4, L"\\\\?\\") == 0) return FromWide(path->c_str() + 4);
        return FromWide(path->c_str());
    }
    uint32_t Remove() override {
        FILE_DISPOSITION_INFO disposition{TRUE};
        return CodeOf(::SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition,
                                                   sizeof disposition));
    }
    uint32_t Rename(const WString& path) override {
        // The information ends in the name, which runs past the structure's own room for it.
        const size_t nameBytes = path.size() * sizeof(wchar_t);
        std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        info->ReplaceIfExists = FALSE;
        info->RootDirectory = nullptr;
        info->FileNameLength = static_cast<DWORD>(nameBytes);
        std::memcpy(info->FileName, path.data(), nameBytes);
        return CodeOf(::SetFileInformationByHandle(file_.get(), FileRenameInfo, info,
                                                   static_cast<DWORD>(buffer.size())));
    }

private:
    UniqueFile file_;
};

}  // namespace

OpenForReadResult Win32Services::ProbeOpenForRead(const WString& path) {
    OpenForReadResult result;
    UniqueFile file(::CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        result.error = ::GetLastError();
        return result;
    }
    result.opened = true;
    // The size alone, which the system answers from the open file (a whole file information
    // would also ask for the volume's serial number, which costs much more).
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size)) result.size = static_cast<uint64_t>(size.QuadPart);
    result.file = std::make_shared<Win32File>(file.release());
    return result;
}

OpenedFile Win32Services::CreateNewFile(const WString& path) {
    // Others may read the file, nothing more, until the caller closes it.
    const HANDLE file =
        ::CreateFileW(AsWide(path), GENERIC_WRITE | DELETE | SYNCHRONIZE, FILE_SHARE_READ, nullptr,
                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {::GetLastError(), nullptr};
    return {ERROR_SUCCESS, std::make_unique<Win32File>(file)};
}

Answer<std::vector<FileFacts>> Win32Services::ListFolder(const WString& folder) {
    WString pattern = folder;
    if (!pattern.empty() && pattern.back() != u'\\') pattern += u'\\';
    pattern += u'*';
    WIN32_FIND_DATAW found{};
    UniqueFind search(::FindFirstFileExW(AsWide(pattern), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
    if (!search) return {::GetLastError(), {}};
    std::vector<FileFacts> items;
    do {
        const WString name = FromWide(found.cFileName);
        if (name == u"." || name == u"..") continue;
        items.push_back({name, found.dwFileAttributes,
                         Size(found.nFileSizeHigh, found.nFileSizeLow),
                         Ticks(found.ftLastWriteTime)});
    } while (::FindNextFileW(search.get(), &found));
    const DWORD end = ::GetLastError();
    if (end != ERROR_NO_MORE_FILES) return {end, {}};
    return {ERROR_SUCCESS, std::move(items)};
}

Answer<FileFacts> Win32Services::QueryFile(const WString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(AsWide(path), GetFileExInfoStandard, &data)) {
        return {::GetLastError(), {}};
    }
    return {ERROR_SUCCESS,
            {WString(), data.dwFileAttributes, Size(data.nFileSizeHigh, data.nFileSizeLow),
             Ticks(data.ftLastWriteTime)}};
}

OpenedFile Win32Services::OpenFile(const WString& path, FileAccess access) {
    DWORD rights = GENERIC_READ;
    DWORD flags = FILE_FLAG_SEQUENTIAL_SCAN;
    if (access == FileAccess::Replace) rights |= GENERIC_WRITE | DELETE;
    if (access == FileAccess::ReadAndStamp) rights |= FILE_WRITE_ATTRIBUTES;
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    if (access == FileAccess::Change) {
        // The name itself, never what a link points to; a folder opens as well.
        rights = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
        flags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
    }
    if (access == FileAccess::Pin) {
        // The folder a link leads to, where one is allowed (INSTALLDIR itself may be one), so
        // that the files in it resolve below the folder's own final path.
        rights = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        flags = FILE_FLAG_BACKUP_SEMANTICS;
    }
    HANDLE handle =
        ::CreateFileW(AsWide(path), rights, share, nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {::GetLastError(), nullptr};
    return {ERROR_SUCCESS, std::make_unique<Win32File>(handle)};
}

uint32_t Win32Services::ReplaceKeepingBackup(const WString& replaced, const WString& replacement,
                                             const WString& backup) {
    return CodeOf(::ReplaceFileW(AsWide(replaced), AsWide(replacement), AsWide(backup),
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr));
}

uint32_t Win32Services::MoveToNewName(const WString& from, const WString& to) {
    return CodeOf(::MoveFileExW(AsWide(from), AsWide(to), 0));
}

uint32_t Win32Services::RemoveFile(const WString& path) {
    return CodeOf(::DeleteFileW(AsWide(path)));
}

uint32_t Win32Services::RemoveAtRestart(const WString& path) {
    return CodeOf(::MoveFileExW(AsWide(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
}

uint32_t Win32Services::ReplaceAtRestart(const WString& from, const WString& to) {
    return CodeOf(::MoveFileExW(AsWide(from), AsWide(to),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT));
}

Answer<VolumeSpace> Win32Services::FreeSpace(const WString& path) {
    // The volume's root comes from the path's text and the mount points along it, so a folder
    // that is still to be made has one too.
    std::wstring root(path.size() + 2, L'\0');
    if (!::GetVolumePathNameW(AsWide(path), root.data(), static_cast<DWORD>(root.size()))) {
        return {::GetLastError(), {}};
    }
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) {
        return {::GetLastError(), {}};
    }
    return {ERROR_SUCCESS, {FromWide(root.c_str()), available.QuadPart}};
}

WString Win32Services::FoldCase(const WString& text) {
    if (text.empty()) return text;
    WString folded(text.size(), u'\0');
    const int units = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, AsWide(text),
                                      static_cast<int>(text.size()), AsWide(folded.data()),
                                      static_cast<int>(folded.size()), nullptr, nullptr, 0);
    return units == static_cast<int>(text.size()) ? folded : text;
}

OpenedFile Win32Services::OpenForAppend(const WString& path) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (const uint32_t error = OpenLogFile(path, handle)) return {error, nullptr};
    return {ERROR_SUCCESS, std::make_unique<Win32File>(handle)};
}

WString Win32Services::LocalTimeText() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t text[32] = {};
    ::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay,
               now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return FromWide(text);
}

uint64_t Win32Services::Milliseconds() {
    return ::GetTickCount64();
}

void Win32Services::Pause(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}
