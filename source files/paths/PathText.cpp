// Path text in the fixed buffers of the Windows path API: a trailing backslash, the split into
// drive, folder, name and extension, and the bounded copy into a MAX_PATH buffer.
#include <algorithm>

#include "paths/PathText.h"
#include "platform/SystemServices.h"

namespace {
constexpr size_t kLongestPathText = kPathUnits - 1;

// The system's path functions see a text only up to its first zero unit.
size_t TextLength(const WString& text) {
    return std::min(text.find(u'\0'), text.size());
}

template <size_t Capacity>
bool PutPart(WChar (&part)[Capacity], const WString& path, size_t from, size_t count) {
    if (count >= Capacity) return false;
    path.copy(part, count, from);
    part[count] = u'\0';
    return true;
}

bool IsSeparator(WChar unit) {
    return unit == u'\\' || unit == u'/';
}
}  // namespace

void AddBackslash(WString& text) {
    size_t length = TextLength(text);
    if (length > kLongestPathText) return;
    // One unit more than MAX_PATH: some shell versions append to a 259-unit text and so write
    // its terminator just past a MAX_PATH buffer.
    WChar buffer[kPathUnits + 1] = {};
    text.copy(buffer, length);
    System().AddBackslashInPlace(buffer);
    buffer[kPathUnits] = u'\0';
    text.assign(buffer);
}

PathStatus SplitPath(const WString& path, PathParts& parts) {
    parts = PathParts{};
    size_t length = TextLength(path);
    size_t driveEnd = length >= 2 && path[1] == u':' ? 2 : 0;
    size_t folderEnd = driveEnd;
    for (size_t i = driveEnd; i < length; ++i) {
        if (IsSeparator(path[i])) folderEnd = i + 1;
    }
    size_t nameEnd = length;
    for (size_t i = folderEnd; i < length; ++i) {
        if (path[i] == u'.') nameEnd = i;
    }
    bool fits = PutPart(parts.drive, path, 0, driveEnd) &&
                PutPart(parts.folder, path, driveEnd, folderEnd - driveEnd) &&
                PutPart(parts.name, path, folderEnd, nameEnd - folderEnd) &&
                PutPart(parts.extension, path, nameEnd, length - nameEnd);
    if (fits) return PathStatus::Ok;
    parts = PathParts{};
    return PathStatus::RangeError;
}

PathStatus CopyToPathBuffer(WChar (&destination)[kPathUnits], const WString& source) {
    size_t length = TextLength(source);
    bool cut = length > kLongestPathText;
    if (cut) length = kLongestPathText;
    source.copy(destination, length);
    destination[length] = u'\0';
    return cut ? PathStatus::Truncated : PathStatus::Ok;
}
