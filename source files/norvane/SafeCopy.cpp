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

// The copied file keeps none of its source's attributes; a fresh copy always carries at least
// the archive attribute.
bool Normalise(const WString& path) {
    return ::SetFileAttributesW(AsWide(path), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

// A copy of a read-only source is read-only too: cleared, so it can be deleted.
void RemoveCopy(const WString& path) {
    Normalise(path);
    ::DeleteFileW(AsWide(path));
}

bool IsTaken(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// The copy straight to a destination that does not exist: the system creates it, or says that
// it is taken, in which case it is left alone.
DWORD CopyNew(const WString& source, const WString& destination, LPPROGRESS_ROUTINE progress,
              void* progressData) {
    BOOL cancel = FALSE;
    if (!::CopyFileExW(AsWide(source), AsWide(destination), progress, progressData, &cancel,
                       COPY_FILE_FAIL_IF_EXISTS)) {
        return ::GetLastError();
    }
    Normalise(destination);
    return ERROR_SUCCESS;
}

// The destination as it was before its replacement, so a failure can put it back.
class ExistingDestination {
public:
    ExistingDestination(const WString& path, DWORD attributes)
        : path_(path), attributes_(attributes) {}
    ~ExistingDestination() {
        if (unprotected_ && !gone_) ::SetFileAttributesW(AsWide(path_), attributes_);
    }
    ExistingDestination(const ExistingDestination&) = delete;
    ExistingDestination& operator=(const ExistingDestination&) = delete;

    // Clears what would block the replacement; only called once it is about to happen.
    void Unprotect() {
        if ((attributes_ & kProtectingAttributes) != 0) {
            unprotected_ = ::SetFileAttributesW(AsWide(path_), FILE_ATTRIBUTE_NORMAL) != FALSE;
        }
    }
    // Replaced, or gone by itself: nothing of it is to be put back.
    void Gone() { gone_ = true; }

private:
    const WString& path_;
    DWORD attributes_;
    bool unprotected_ = false;
    bool gone_ = false;
};

// What the copy would meet when it writes the destination: a program that holds it open (a
// running exe or dll of the product among them) gives a sharing violation here, before any
// byte is copied. Every kind of sharing is granted, so only a holder that denies it counts.
DWORD OpenForReplacement(const WString& destination) {
    UniqueFile file(::CreateFileW(AsWide(destination), GENERIC_WRITE | DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    return file ? ERROR_SUCCESS : ::GetLastError();
}

// An existing file is replaced only by a complete copy: the bytes go to a temporary beside it,
// which then takes its place in one step. ReplaceFileW keeps the old file's security
// descriptor, which a rename would not. On failure the old file stays as it was, its attributes
// included, and the temporary goes.
DWORD Replace(const WString& source, const WString& destination, DWORD attributes,
              LPPROGRESS_ROUTINE progress, void* progressData) {
    ExistingDestination old(destination, attributes);
    old.Unprotect();
    if (DWORD error = OpenForReplacement(destination); error != ERROR_SUCCESS) {
        // Gone since it was looked at: nothing is left to keep.
        if (error == ERROR_FILE_NOT_FOUND) {
            old.Gone();
            return CopyNew(source, destination, progress, progressData);
        }
        return error;
    }
    const WString temporary = TemporaryPathFor(destination);
    // Not restartable: a failed copy's temporary is deleted, so tracking its progress in the
    // file for a restart would be pure cost.
    BOOL cancel = FALSE;
    BOOL copied = ::CopyFileExW(AsWide(source), AsWide(temporary), progress, progressData,
                                &cancel, 0);
    // A read-only or hidden leftover of an interrupted run is cleared and written over.
    if (!copied && ::GetLastError() == ERROR_ACCESS_DENIED) {
        if (::SetFileAttributesW(AsWide(temporary), FILE_ATTRIBUTE_NORMAL)) {
            copied = ::CopyFileExW(AsWide(source), AsWide(temporary), progress, progressData,
                                   &cancel, 0);
        } else {
            ::SetLastError(ERROR_ACCESS_DENIED);
        }
    }
    if (!copied || !Normalise(temporary) ||
        !::ReplaceFileW(AsWide(destination), AsWide(temporary), nullptr,
                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        const DWORD error = ::GetLastError();
        RemoveCopy(temporary);
        return error;
    }
    old.Gone();
    // The replacement may take over attributes of the file it replaced.
    const DWORD now = ::GetFileAttributesW(AsWide(destination));
    if (HasAttributes(now) && (now & kProtectingAttributes) != 0) {
        ::SetFileAttributesW(AsWide(destination), FILE_ATTRIBUTE_NORMAL);
    }
    return ERROR_SUCCESS;
}
}  // namespace

DWORD CopyReplacing(const WString& source, const WString& destination,
                    LPPROGRESS_ROUTINE progress, void* progressData) noexcept {
    // Asking the system to create the file tells a new destination from an existing one in the
    // same call that copies it.
    const DWORD error = CopyNew(source, destination, progress, progressData);
    if (!IsTaken(error)) return error;
    return Replace(source, destination, ::GetFileAttributesW(AsWide(destination)), progress,
                   progressData);
}
