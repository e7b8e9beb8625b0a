#include "driver/OpenEachListed.h"

#include <windows.h>

#include <stdexcept>

#include "driver/TextOut.h"
#include "platform/win32/UniqueResource.h"

namespace {
std::string ReadWhole(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD size = file ? ::GetFileSize(file.get(), nullptr) : INVALID_FILE_SIZE;
    std::string bytes(size == INVALID_FILE_SIZE ? 0 : size, '\0');
    DWORD read = 0;
    if (size == INVALID_FILE_SIZE || !::ReadFile(file.get(), bytes.data(), size, &read, nullptr) ||
        read != size) {
        throw std::runtime_error("cannot read the list " + ToUtf8(path));
    }
    return bytes;
}

std::wstring Widened(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0');
    int units = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                      wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(units));
    return wide;
}
}  // namespace

int OpenEachListed(const std::wstring& listPath) {
    std::string list = ReadWhole(listPath);
    int listed = 0;
    int failed = 0;
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find_first_of("\r\n", start);
        if (end == std::string::npos) end = list.size();
        if (end > start) {
            ++listed;
            UniqueFile file(::CreateFileW(Widened(list.substr(start, end - start)).c_str(),
                                          GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD size = file ? ::GetFileSize(file.get(), nullptr) : INVALID_FILE_SIZE;
            if (size == INVALID_FILE_SIZE) ++failed;
        }
        start = end + 1;
    }
    if (listed == 0) throw std::runtime_error("the list " + ToUtf8(listPath) + " names no file");
    return failed;
}
