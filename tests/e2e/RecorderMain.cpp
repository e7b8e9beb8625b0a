// e2e_recorder <log file> <document>: appends the document and a line feed, in UTF-8, to the log
// file. The end-to-end cases make it the shell's "open" handler of ".txt" documents, so the log
// tells which documents the tool under test asked the shell to open.
#include "harness/Scenario.h"
// After windows.h:
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 3) return 2;
    const std::string line = Narrow(arguments[2] + std::wstring(L"\n"));
    // Appending writes go to the end as one piece, also when two recorders run at once.
    UniqueFile log(CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const bool ok = log && WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()),
                                     &written, nullptr);
    return ok ? 0 : 1;
}
