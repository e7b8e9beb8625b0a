// The services of the copy: each calls the Win32 function named for it and answers its error
// code.
#include <windows.h>

#include <cwchar>

#include "platform/win32/OpenLogFile.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideEdge.h"
#include "platform/win32/Win32Services.h"

namespace {
uint32_t Answer(BOOL succeeded) {
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
        const uint32_t error = Answer(::ReadFile(file_.get(), buffer, capacity, &read, nullptr));
        count = read;
        return error;
    }
    uint32_t Write(const uint8_t* data, uint32_t size) override {
        DWORD written = 0;
        const uint32_t error = Answer(::WriteFile(file_.get(), data, size, &written, nullptr));
        return error != 0 || written == size ? error : ERROR_WRITE_FAULT;
    }
    uint64_t LastWriteTime() override {
        FILETIME written{};
        return ::GetFileTime(file_.get(), nullptr, nullptr, &written) ? Ticks(written) : 0;
    }
    uint32_t Stamp(uint32_t attributes, uint64_t lastWriteTime) override {
        FILE_BASIC_INFO info{};
        info.FileAttributes = attributes;
        info.LastWriteTime.QuadPart = static_cast<LONGLONG>(lastWriteTime);
        return Answer(::SetFileInformationByHandle(file_.get(), FileBasicInfo, &info, sizeof info));
    }

private:
    UniqueFile file_;
};

struct ProgressRelay {
    CopyProgressFunction progress;
    void* data;
};

DWORD CALLBACK RelayProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER,
                             DWORD, DWORD, HANDLE, HANDLE, LPVOID data) noexcept {
    const auto& relay = *static_cast<const ProgressRelay*>(data);
    relay.progress(static_cast<uint64_t>(transferred.QuadPart), relay.data);
    return PROGRESS_CONTINUE;
}
}  // namespace

std::optional<std::vector<FileFacts>> Win32Services::ListFolder(const WString& folder) {
    WString pattern = folder;
    if (!pattern.empty() && pattern.back() != u'\\') pattern += u'\\';
    pattern += u'*';
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW(AsWide(pattern), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<FileFacts> items;
    do {
        const WString name = FromWide(found.cFileName);
        if (name == u"." || name == u"..") continue;
        items.push_back({name, found.dwFileAttributes,
                         Size(found.nFileSizeHigh, found.nFileSizeLow),
                         Ticks(found.ftLastWriteTime)});
    } while (::FindNextFileW(search, &found));
    const DWORD end = ::GetLastError();
    ::FindClose(search);
    if (end != ERROR_NO_MORE_FILES) return std::nullopt;
    return items;
}

uint32_t Win32Services::QueryFile(const WString& path, FileFacts& facts) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(AsWide(path), GetFileExInfoStandard, &data)) {
        return ::GetLastError();
    }
    facts = {WString(), data.dwFileAttributes, Size(data.nFileSizeHigh, data.nFileSizeLow),
             Ticks(data.ftLastWriteTime)};
    return ERROR_SUCCESS;
}

uint32_t Win32Services::OpenFile(const WString& path, FileAccess access,
                                 std::unique_ptr<SystemFile>& file) {
    DWORD rights = GENERIC_READ;
    if (access == FileAccess::Replace) rights |= GENERIC_WRITE | DELETE;
    if (access == FileAccess::ReadAndStamp) rights |= FILE_WRITE_ATTRIBUTES;
    HANDLE handle =
        ::CreateFileW(AsWide(path), rights, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return ::GetLastError();
    file = std::make_unique<Win32File>(handle);
    return ERROR_SUCCESS;
}

uint32_t Win32Services::CopyToNewFile(const WString& source, const WString& target,
                                      CopyProgressFunction progress, void* data) {
    ProgressRelay relay{progress, data};
    BOOL cancel = FALSE;
    return Answer(::CopyFileExW(AsWide(source), AsWide(target), RelayProgress, &relay, &cancel,
                                COPY_FILE_FAIL_IF_EXISTS));
}

uint32_t Win32Services::ReplaceKeepingBackup(const WString& replaced, const WString& replacement,
                                             const WString& backup) {
    return Answer(::ReplaceFileW(AsWide(replaced), AsWide(replacement), AsWide(backup),
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr));
}

uint32_t Win32Services::MoveToNewName(const WString& from, const WString& to) {
    return Answer(::MoveFileExW(AsWide(from), AsWide(to), 0));
}

uint32_t Win32Services::RemoveFile(const WString& path) {
    return Answer(::DeleteFileW(AsWide(path)));
}

void Win32Services::RemoveAtRestart(const WString& path) {
    ::MoveFileExW(AsWide(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

WString Win32Services::FoldCase(const WString& text) {
    if (text.empty()) return text;
    WString folded(text.size(), u'\0');
    const int units = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, AsWide(text),
                                      static_cast<int>(text.size()), AsWide(folded.data()),
                                      static_cast<int>(folded.size()), nullptr, nullptr, 0);
    return units == static_cast<int>(text.size()) ? folded : text;
}

uint32_t Win32Services::OpenForAppend(const WString& path, std::unique_ptr<SystemFile>& file) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (const uint32_t error = OpenLogFile(path, handle)) return error;
    file = std::make_unique<Win32File>(handle);
    return ERROR_SUCCESS;
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
