#include <gtest/gtest.h>

#ifdef _WIN32
// Windows builds are Unicode throughout, tests included: the entry point takes wide arguments.
int wmain(int argc, wchar_t** argv) {
#else
#include <cstdlib>

#include "platform/posix/PosixServices.h"

int main(int argc, char** argv) {
    // Natively the ANSI code page is 1252 unless the run asks for another (932 for Japanese).
    if (const char* codePage = std::getenv("NORVANE_ANSI_CODE_PAGE")) {
        PosixSystem().SetAnsiCodePage(std::atoi(codePage));
    }
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
