#include "driver/TextOut.h"

#include <windows.h>

#include <cstdio>

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          size, nullptr, nullptr);
    return bytes;
}

void PrintFigure(const char* name, double milliseconds) {
    std::printf("%s %.3f\n", name, milliseconds);
    std::fflush(stdout);
}

void PrintCount(const char* name, size_t count) {
    std::printf("%s %zu\n", name, count);
    std::fflush(stdout);
}
