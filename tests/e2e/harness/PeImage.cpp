#include "PeImage.h"

#include <cstring>

#include "Files.h"

std::uint16_t PeMachine(const std::wstring& exePath) {
    const auto bytes = ReadBytes(exePath);
    if (!bytes || bytes->size() < 0x40 || bytes->compare(0, 2, "MZ") != 0) return 0;
    std::uint32_t headerAt = 0;
    std::memcpy(&headerAt, bytes->data() + 0x3C, sizeof headerAt);
    if (headerAt + 6 > bytes->size() || bytes->compare(headerAt, 4, std::string("PE\0\0", 4)) != 0) return 0;
    std::uint16_t machine = 0;
    std::memcpy(&machine, bytes->data() + headerAt + 4, sizeof machine);
    return machine;
}
