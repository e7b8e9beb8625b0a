#include "norvane/SafeCopy.h"

#include "platform/win32/WideEdge.h"

namespace {
// A short name in the destination's own folder, so the final rename stays on one volume.
WString TemporaryBeside(const WString& destination) {
    size_t slash = destination.find_last_of(u"\\/");
    WString folder = slash == WString::npos ? WString() : destination.substr(0, slash + 1);
    return folder + u"~norvane.copy.tmp";
}

SafeCopyResult Failure(const WString& temporary) {
    SafeCopyResult result;
    result.error = ::GetLastError();
    ::SetFileAttributesW(AsWide(temporary), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(AsWide(temporary));
    return result;
}
}  // namespace

SafeCopyResult CopyReplacing(const WString& source, const WString& destination,
                             LPPROGRESS_ROUTINE progress, void* progressData) noexcept {
    WString temporary = TemporaryBeside(destination);
    // A leftover of an interrupted run must not block this one.
    ::SetFileAttributesW(AsWide(temporary), FILE_ATTRIBUTE_NORMAL);

    BOOL cancel = FALSE;
    if (!::CopyFileExW(AsWide(source), AsWide(temporary), progress, progressData, &cancel,
                       COPY_FILE_RESTARTABLE)) {
        return Failure(temporary);
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(AsWide(temporary), GetFileExInfoStandard, &data)) {
        return Failure(temporary);
    }
    if (!::MoveFileExW(AsWide(temporary), AsWide(destination),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Failure(temporary);
    }
    SafeCopyResult result;
    result.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return result;
}
