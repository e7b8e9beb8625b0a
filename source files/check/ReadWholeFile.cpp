#include <fstream>
#include <iterator>

#include "check/CheckHost.h"

namespace fs = std::filesystem;

std::optional<std::string> ReadWholeFile(const WString& hostPath) {
    std::error_code error;
    const fs::path path = HostFilePath(hostPath);
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}
