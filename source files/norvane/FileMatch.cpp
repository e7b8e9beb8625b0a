#include "norvane/FileMatch.h"

#include "norvane/SameBytes.h"
#include "platform/SystemServices.h"

FileMatch MatchFiles(const WString& source, const WString& destination,
                     std::vector<uint8_t>& buffer) {
    const Answer<FileFacts> there = System().QueryFile(destination);
    if (there.error != 0) return FileMatch::Missing;
    const Answer<FileFacts> wanted = System().QueryFile(source);
    if ((there.value.attributes & kFileAttributeDirectory) != 0 || wanted.error != 0 ||
        there.value.size != wanted.value.size) {
        return FileMatch::Differs;
    }
    const OpenedFile a = System().OpenFile(source, FileAccess::Read);
    const OpenedFile b = System().OpenFile(destination, FileAccess::Read);
    if (a.error != 0 || b.error != 0) return FileMatch::Differs;
    return SameBytes(*a.value, *b.value, wanted.value.size, buffer) ? FileMatch::Same
                                                                    : FileMatch::Differs;
}
