#include "norvane/LinkOnTheWay.h"

#include "platform/SystemServices.h"

std::optional<WString> LinkOnTheWay(const WString& installDir, const WString& path) {
    if (path.compare(0, installDir.size(), installDir) != 0) return std::nullopt;
    for (size_t end = installDir.size(); end < path.size();) {
        size_t separator = path.find_first_of(u"\\/", end);
        if (separator == WString::npos) separator = path.size();
        if (separator > end) {
            const WString step = path.substr(0, separator);
            const uint32_t attributes = System().GetAttributes(step);
            if (attributes == kInvalidFileAttributes) return std::nullopt;
            if ((attributes & kFileAttributeReparsePoint) != 0) return step;
        }
        end = separator + 1;
    }
    return std::nullopt;
}

WString LinkRefusalText(const WString& link) {
    return link + u" is a link; the update does not write through links.";
}
