// The checker on Windows: paths are the machine's own; the registry is read in the view of the
// shipped 32-bit tool whatever the checker's own bitness.
#include <windows.h>

#include <filesystem>

#include "check/CheckHost.h"
#include "platform/win32/Win32Services.h"
#include "platform/win32/WideEdge.h"

namespace fs = std::filesystem;

std::optional<WString> WindowsFolder(const WString& hostFolder) {
    std::error_code error;
    const fs::path folder = fs::absolute(HostFilePath(hostFolder), error);
    if (error || !fs::is_directory(folder, error)) return std::nullopt;
    WString windows = FromWide(folder.lexically_normal().wstring().c_str());
    for (WChar& unit : windows) {
        if (unit == u'/') unit = u'\\';
    }
    while (windows.size() > 1 && windows.back() == u'\\') windows.pop_back();
    return windows;
}

WString HostForm(const WString& windowsPath) {
    return windowsPath;
}

fs::path HostFilePath(const WString& hostPath) {
    return fs::path(std::wstring(AsWide(hostPath)));
}

std::optional<WString> ReadToolRegistry(RegistryRoot root, const WString& subKey,
                                        const WString& valueName) {
    return ReadRegistryText(root, subKey, valueName, KEY_WOW64_32KEY);
}

bool HostHasRegistry() {
    return true;
}

int ToolCodePage() {
    return static_cast<int>(::GetACP());
}

std::vector<WString> NamesIn(const WString& windowsFolder) {
    std::vector<WString> names;
    std::error_code error;
    for (fs::directory_iterator it(HostFilePath(windowsFolder), error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(FromWide(it->path().filename().wstring().c_str()));
    }
    return names;
}

// Windows finds a file name whatever its letter case.
std::optional<WString> CaseVariant(const WString&) {
    return std::nullopt;
}

void WriteText(std::FILE* stream, const WString& text) {
    // A console shows UTF-16 as it is; a pipe or a file gets UTF-8.
    HANDLE handle = ::GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        std::fflush(stream);
        DWORD written = 0;
        ::WriteConsoleW(handle, AsWide(text), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, AsWide(text), static_cast<int>(text.size()),
                                            nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, AsWide(text), static_cast<int>(text.size()), utf8.data(),
                          bytes, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}
