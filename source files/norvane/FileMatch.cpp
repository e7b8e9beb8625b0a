#include "norvane/FileMatch.h"

#include "norvane/SameBytes.h"
#include "platform/SystemServices.h"

FileMatch MatchFiles(const WString& source, const WString& destination,
                     std::vector<uint8_t>& buffer) {
    FileFacts there, wanted;
    if (System().QueryFile(destination, there) != 0) return FileMatch::Missing;
    if ((there.attributes & kFileAttributeDirectory) != 0 ||
        System().QueryFile(source, wanted) != 0 || there.size != wanted.size) {
        return FileMatch::Differs;
    }
    std::unique_ptr<SystemFile> a, b;
    if (System().OpenFile(source, FileAccess::Read, a) != 0 ||
        System().OpenFile(destination, FileAccess::Read, b) != 0) {
        return FileMatch::Differs;
    }
    return SameBytes(*a, *b, wanted.size, buffer) ? FileMatch::Same : FileMatch::Differs;
}
