#include "platform/win32/Win32Services.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>

#include "platform/win32/PathAnswers.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideEdge.h"

namespace {
constexpr DWORD kPathUnits = MAX_PATH;
}

int Win32Services::AnsiToWide(const char* bytes, int byteCount, WChar* out, int capacity) {
    return ::MultiByteToWideChar(CP_ACP, 0, bytes, byteCount, AsWide(out), capacity);
}

int Win32Services::WideToAnsi(const WChar* units, int unitCount, char* out, int capacity) {
    return ::WideCharToMultiByte(CP_ACP, 0, AsWide(units), unitCount, out, capacity, nullptr,
                                 nullptr);
}

uint32_t Win32Services::GetAttributes(const WString& path) {
    return ::GetFileAttributesW(AsWide(path));
}

uint32_t Win32Services::SetAttributes(const WString& path, uint32_t attributes) {
    return ::SetFileAttributesW(AsWide(path), attributes) ? ERROR_SUCCESS : ::GetLastError();
}

bool Win32Services::IsDirectory(const WString& path) {
    return ::PathIsDirectoryW(AsWide(path)) != FALSE;
}

uint32_t Win32Services::MakeDirectory(const WString& path) {
    return ::CreateDirectoryW(AsWide(path), nullptr) ? ERROR_SUCCESS : ::GetLastError();
}

uint32_t Win32Services::RemoveFolder(const WString& path) {
    return ::RemoveDirectoryW(AsWide(path)) ? ERROR_SUCCESS : ::GetLastError();
}

std::optional<WString> Win32Services::FullPath(const WString& path) {
    const std::optional<std::wstring> full = FullPathOf(AsWide(path));
    if (!full) return std::nullopt;
    return FromWide(full->c_str());
}

bool Win32Services::IsRelativePath(const WString& path) {
    return ::PathIsRelativeW(AsWide(path)) != FALSE;
}

int Win32Services::DriveNumber(const WString& path) {
    return ::PathGetDriveNumberW(AsWide(path));
}

void Win32Services::AppendPath(WChar* buffer, const WString& more) {
    ::PathAppendW(AsWide(buffer), AsWide(more));
}

void Win32Services::AddBackslashInPlace(WChar* buffer) {
    ::PathAddBackslashW(AsWide(buffer));
}

void Win32Services::StripPath(WChar* buffer) {
    ::PathStripPathW(AsWide(buffer));
}

void Win32Services::RemoveExtension(WChar* buffer) {
    ::PathRemoveExtensionW(AsWide(buffer));
}

void Win32Services::RemoveFileSpec(WChar* buffer) {
    ::PathRemoveFileSpecW(AsWide(buffer));
}

std::optional<WString> Win32Services::ReadRegistryString(RegistryRoot root, const WString& subKey,
                                                         const WString& valueName) {
    // The 32-bit view (WOW6432Node on 64-bit Windows), asked for by name so that every build
    // reads where the products that list files name keep their settings, as the shipped 32-bit
    // exe does.
    return ReadRegistryText(root, subKey, valueName, KEY_WOW64_32KEY);
}

std::optional<WString> ReadRegistryText(RegistryRoot root, const WString& subKey,
                                        const WString& valueName, uint32_t view) {
    HKEY rootKey = root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    UniqueHkey key;
    if (::RegOpenKeyExW(rootKey, AsWide(subKey), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t buffer[kPathUnits] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    LSTATUS status = ::RegQueryValueExW(key.get(), AsWide(valueName), nullptr, &type,
                                        reinterpret_cast<BYTE*>(buffer), &size);
    key.reset();
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // Data that fills the buffer without a terminating zero is read as its 260 units only.
    size_t length = 0;
    while (length < kPathUnits && buffer[length] != L'\0') {
        ++length;
    }
    WString text(reinterpret_cast<const WChar*>(buffer), length);
    // A value written as an expandable string ("%ProgramFiles(x86)%\\Vendor") means the folder
    // its references name on this machine: expanded as the system expands it for every reader.
    if (type == REG_EXPAND_SZ) {
        wchar_t expanded[kPathUnits] = {};
        const DWORD needed = ::ExpandEnvironmentStringsW(AsWide(text), expanded, kPathUnits);
        if (needed == 0 || needed > kPathUnits) return std::nullopt;
        text = FromWide(expanded);
    }
    return text;
}

std::optional<WString> Win32Services::ModulePath() {
    wchar_t buffer[kPathUnits] = {};
    if (::GetModuleFileNameW(nullptr, buffer, kPathUnits) == 0) {
        return std::nullopt;
    }
    buffer[kPathUnits - 1] = L'\0';
    return FromWide(buffer);
}

void Win32Services::DebugOutput(const WString& text) {
    ::OutputDebugStringW(AsWide(text));
}

std::optional<WString> Win32Services::SystemErrorText(uint32_t code) {
    wchar_t* raw = nullptr;
    ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&raw),
        0, nullptr);
    UniqueLocal owner(raw);
    if (raw == nullptr) {
        return std::nullopt;
    }
    return FromWide(raw);
}

void Win32Services::ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                                uint32_t flags) {
    ::MessageBoxW(static_cast<HWND>(owner), AsWide(text), AsWide(caption), flags);
}

Answer<WString> Win32Services::WindowsFolder(const WString& hostFolder) {
    const std::optional<WString> full = FullPath(hostFolder);
    if (!full || !IsDirectory(*full)) return {ERROR_PATH_NOT_FOUND, {}};
    WString folder = *full;
    for (WChar& unit : folder) {
        if (unit == u'/') unit = u'\\';
    }
    while (folder.size() > 1 && folder.back() == u'\\') folder.pop_back();
    return {ERROR_SUCCESS, folder};
}

WString Win32Services::HostForm(const WString& windowsPath) {
    return windowsPath;
}

int Win32Services::AnsiCodePage() {
    return static_cast<int>(::GetACP());
}

bool Win32Services::HasRegistry() {
    return true;
}

void Win32Services::WriteStandard(StandardStream stream, const WString& text) {
    std::FILE* file = stream == StandardStream::Error ? stderr : stdout;
    HANDLE handle =
        ::GetStdHandle(stream == StandardStream::Error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        std::fflush(file);
        DWORD written = 0;
        ::WriteConsoleW(handle, AsWide(text), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, AsWide(text), static_cast<int>(text.size()),
                                            nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, AsWide(text), static_cast<int>(text.size()), utf8.data(),
                          bytes, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), file);
}

SystemServices& NativeSystem() {
    static Win32Services services;
    return services;
}
