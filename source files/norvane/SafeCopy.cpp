#include "norvane/SafeCopy.h"

#include "norvane/TemporaryPath.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideEdge.h"

namespace {
// Attributes that keep the system from writing over or renaming onto a file.
constexpr DWORD kProtectingAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool HasAttributes(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && attributes != 0;
}

// The destination as it was before its replacement, so a failure can put it back.
class DestinationState {
public:
    explicit DestinationState(const WString& path)
        : path_(path), attributes_(::GetFileAttributesW(AsWide(path))) {}

    bool Exists() const { return HasAttributes(attributes_); }

    // Clears what would block the replacement; only called once it is about to happen.
    void Unprotect() {
        if (Exists() && (attributes_ & kProtectingAttributes) != 0) {
            unprotected_ = ::SetFileAttributesW(AsWide(path_), FILE_ATTRIBUTE_NORMAL) != FALSE;
        }
    }
    void Restore() {
        if (unprotected_) ::SetFileAttributesW(AsWide(path_), attributes_);
        unprotected_ = false;
    }

private:
    const WString& path_;
    DWORD attributes_;
    bool unprotected_ = false;
};

// What the copy would meet when it writes the destination: a program that holds it open (a
// running exe or dll of the product among them) gives a sharing violation here, before any
// byte is copied. Every kind of sharing is granted, so only a holder that denies it counts.
DWORD OpenForReplacement(const WString& destination) {
    UniqueFile file(::CreateFileW(AsWide(destination), GENERIC_WRITE | DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (file) return ERROR_SUCCESS;
    const DWORD error = ::GetLastError();
    // Gone since it was looked at: it is copied as a new file.
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ERROR_SUCCESS : error;
}

// A copy of a read-only source is read-only too: cleared, so it can be renamed and deleted.
void RemoveTemporary(const WString& temporary) {
    ::SetFileAttributesW(AsWide(temporary), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(AsWide(temporary));
}

SafeCopyResult Failed(DWORD error, const WString& temporary, DestinationState& destination) {
    RemoveTemporary(temporary);
    destination.Restore();
    SafeCopyResult result;
    result.error = error;
    return result;
}

uint64_t SizeOf(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
}  // namespace

SafeCopyResult CopyReplacing(const WString& source, const WString& destination,
                             LPPROGRESS_ROUTINE progress, void* progressData) noexcept {
    DestinationState old(destination);
    const WString temporary = TemporaryPathFor(destination);
    if (old.Exists()) {
        old.Unprotect();
        if (DWORD error = OpenForReplacement(destination); error != ERROR_SUCCESS) {
            old.Restore();
            SafeCopyResult result;
            result.error = error;
            return result;
        }
    }
    // A leftover of an interrupted run must not block this one.
    ::SetFileAttributesW(AsWide(temporary), FILE_ATTRIBUTE_NORMAL);

    // Not restartable: a failed copy's temporary is deleted, so tracking its progress in the
    // file for a restart would be pure cost.
    BOOL cancel = FALSE;
    if (!::CopyFileExW(AsWide(source), AsWide(temporary), progress, progressData, &cancel, 0)) {
        return Failed(::GetLastError(), temporary, old);
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(AsWide(temporary), GetFileExInfoStandard, &data)) {
        return Failed(::GetLastError(), temporary, old);
    }
    // The copied file keeps none of its source's attributes.
    if (data.dwFileAttributes != FILE_ATTRIBUTE_NORMAL) {
        ::SetFileAttributesW(AsWide(temporary), FILE_ATTRIBUTE_NORMAL);
    }
    // An existing file is replaced in place, so it keeps its security descriptor (a rename would
    // give it the temporary's). Both stay in one folder, so a plain rename never copies.
    const BOOL replaced =
        old.Exists() ? ::ReplaceFileW(AsWide(destination), AsWide(temporary), nullptr,
                                      REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                     : ::MoveFileExW(AsWide(temporary), AsWide(destination),
                                     MOVEFILE_REPLACE_EXISTING);
    if (!replaced) {
        return Failed(::GetLastError(), temporary, old);
    }
    if (old.Exists()) {
        // The replacement takes over attributes of the file it replaced.
        const DWORD attributes = ::GetFileAttributesW(AsWide(destination));
        if (HasAttributes(attributes) && attributes != FILE_ATTRIBUTE_NORMAL) {
            ::SetFileAttributesW(AsWide(destination), FILE_ATTRIBUTE_NORMAL);
        }
    }
    SafeCopyResult result;
    result.size = SizeOf(data);
    return result;
}
