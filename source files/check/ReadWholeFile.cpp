#include "check/ReadWholeFile.h"

#include <cstdint>

#include "check/CaseVariant.h"
#include "platform/SystemServices.h"

std::optional<WString> ListFileIn(const WString& packageFolder) {
    const WString path = packageFolder + u"\\Update.up";
    if (System().GetAttributes(path) != kInvalidFileAttributes) return path;
    return CaseVariant(System(), path);
}

std::optional<std::string> ReadWholeFile(const WString& path) {
    const Answer<FileFacts> facts = System().QueryFile(path);
    if (facts.error != 0 || (facts.value.attributes & kFileAttributeDirectory) != 0)
        return std::nullopt;
    const OpenedFile file = System().OpenFile(path, FileAccess::Read);
    if (file.error != 0) return std::nullopt;
    std::string bytes;
    uint8_t buffer[65536];
    for (uint32_t count = 0;; bytes.append(reinterpret_cast<const char*>(buffer), count)) {
        if (file.value->Read(buffer, sizeof buffer, count) != 0) return std::nullopt;
        if (count == 0) return bytes;
    }
}
