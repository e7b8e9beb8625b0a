// e2e_recorder <log file> <document>: appends the document and a line feed, in UTF-8, to the log
// file. The end-to-end cases make it the shell's "open" handler of ".txt" documents, so the log
// tells which documents the tool under test asked the shell to open.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 3) return 2;
    const std::wstring line = arguments[2] + std::wstring(L"\n");
    std::string bytes(line.size() * 3, '\0');  // UTF-8 takes at most 3 bytes a unit
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr));
    // Appending writes go to the end as one piece, also when two recorders run at once.
    HANDLE log = CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(log);
    return ok ? 0 : 1;
}
