// The shell's path text rules (PathIsRelativeW, PathAppendW, ...) for native builds.
#include <algorithm>
#include <vector>

#include "base/PathLimits.h"
#include "platform/posix/PosixServices.h"

namespace {
size_t Length(const WChar* buffer) {
    size_t length = 0;
    while (length < kPathUnits && buffer[length] != 0) ++length;
    return length;
}

void Store(WChar* buffer, const WString& text) {
    size_t length = std::min(text.size(), static_cast<size_t>(kPathUnits - 1));
    for (size_t i = 0; i < length; ++i) buffer[i] = text[i];
    buffer[length] = 0;
}

bool IsSeparator(WChar unit) {
    return unit == u'\\' || unit == u'/';
}

// Resolves "." and ".." segments as PathCanonicalizeW does.
WString Canonical(const WString& path) {
    size_t rootLength = 0;
    if (path.size() >= 2 && path[1] == u':')
        rootLength = path.size() >= 3 && path[2] == u'\\' ? 3 : 2;
    else if (!path.empty() && path[0] == u'\\')
        rootLength = 1;
    std::vector<WString> segments;
    WString segment;
    bool trailing = !path.empty() && path.back() == u'\\';
    for (size_t i = rootLength; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == u'\\') {
            if (segment == u"..") {
                if (!segments.empty()) segments.pop_back();
            } else if (segment != u"." && !segment.empty()) {
                segments.push_back(segment);
            }
            segment.clear();
        } else {
            segment += path[i];
        }
    }
    WString out = path.substr(0, rootLength);
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) out += u'\\';
        out += segments[i];
    }
    if (trailing && !segments.empty()) out += u'\\';
    return out;
}
}  // namespace

std::optional<WString> PosixServices::FullPath(const WString& path) {
    // Only drive-letter paths are full here: there is no current folder to resolve others from.
    WString text = path;
    std::replace(text.begin(), text.end(), u'/', u'\\');
    if (text.size() < 3 || text[1] != u':' || text[2] != u'\\') return std::nullopt;
    return Canonical(text);
}

bool PosixServices::IsRelativePath(const WString& path) {
    if (!path.empty() && path[0] == u'\\') return false;
    return !(path.size() >= 2 && path[1] == u':');
}

int PosixServices::DriveNumber(const WString& path) {
    if (path.size() < 2 || path[1] != u':') return -1;
    WChar letter = path[0];
    if (letter >= u'a' && letter <= u'z') return letter - u'a';
    if (letter >= u'A' && letter <= u'Z') return letter - u'A';
    return -1;
}

void PosixServices::AppendPath(WChar* buffer, const WString& more) {
    WString base(buffer, Length(buffer));
    size_t skip = 0;
    while (skip < more.size() && more[skip] == u'\\') ++skip;
    WString joined = base;
    if (!joined.empty() && joined.back() != u'\\' && skip < more.size()) joined += u'\\';
    joined += more.substr(skip);
    Store(buffer, Canonical(joined));
}

void PosixServices::AddBackslashInPlace(WChar* buffer) {
    size_t length = Length(buffer);
    if (length == 0 || length + 1 >= kPathUnits || buffer[length - 1] == u'\\') return;
    buffer[length] = u'\\';
    buffer[length + 1] = 0;
}

void PosixServices::StripPath(WChar* buffer) {
    WString path(buffer, Length(buffer));
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if ((IsSeparator(path[i]) || path[i] == u':') && i + 1 < path.size() &&
            !IsSeparator(path[i + 1])) {
            start = i + 1;
        }
    }
    Store(buffer, path.substr(start));
}

void PosixServices::RemoveExtension(WChar* buffer) {
    size_t length = Length(buffer);
    size_t dot = WString::npos;
    for (size_t i = 0; i < length; ++i) {
        if (buffer[i] == u'.')
            dot = i;
        else if (IsSeparator(buffer[i]) || buffer[i] == u' ')
            dot = WString::npos;
    }
    if (dot != WString::npos) buffer[dot] = 0;
}

void PosixServices::RemoveFileSpec(WChar* buffer) {
    size_t length = Length(buffer);
    size_t cut = WString::npos;
    for (size_t i = 0; i < length; ++i) {
        if (buffer[i] == u'\\') cut = i;
    }
    if (cut == WString::npos) {
        size_t keep = length >= 2 && buffer[1] == u':' ? 2 : 0;
        buffer[keep] = 0;
        return;
    }
    // The root's own backslash stays: C:\file gives C:\ and \file gives \.
    bool atRoot = cut == 0 || (cut == 2 && buffer[1] == u':');
    buffer[atRoot ? cut + 1 : cut] = 0;
}
