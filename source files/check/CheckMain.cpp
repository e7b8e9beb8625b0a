// The entry point of norvane-check: the arguments as UTF-16, whatever the platform.
#include <cstdlib>
#include <vector>

#include "check/CheckCommand.h"
#include "check/CheckOptions.h"

#ifdef _WIN32
#include "platform/win32/WideEdge.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<WString> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(FromWide(argv[i]));
    return RunCheck(arguments);
}
#else
#include "platform/posix/PosixServices.h"

int main(int argc, char** argv) {
    // Linux has no ANSI code page of its own: Windows-1252 unless the package is for machines
    // that use another (932 for Japanese). A value that is none of them is refused, never guessed.
    if (const char* codePage = std::getenv("NORVANE_ANSI_CODE_PAGE")) {
        const std::optional<int> known = AnsiCodePageNamed(WideFromUtf8(codePage));
        if (!known) {
            System().WriteStandard(StandardStream::Error,
                                   u"norvane-check: NORVANE_ANSI_CODE_PAGE=" +
                                       WideFromUtf8(codePage) +
                                       u" is no ANSI code page of Windows; the tool meets " +
                                       kAnsiCodePagesText + u"\n");
            return 2;
        }
        PosixSystem().SetAnsiCodePage(*known);
    }
    std::vector<WString> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(WideFromUtf8(argv[i]));
    return RunCheck(arguments);
}
#endif
