#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifndef _WIN32
#include "platform/posix/PosixServices.h"
#endif

#ifdef _WIN32
// Windows builds are Unicode throughout, tests included: the entry point takes wide arguments.
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
    ::testing::InitGoogleTest(&argc, argv);
#ifndef _WIN32
    // Natively the ANSI code page is 1252 unless the run asks for another (932 for Japanese).
    if (const char* codePage = std::getenv("NORVANE_ANSI_CODE_PAGE")) {
        PosixSystem().SetAnsiCodePage(std::atoi(codePage));
    }
#endif
    return RUN_ALL_TESTS();
}
