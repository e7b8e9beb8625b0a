// The checker on Linux: the host's file system seen as Wine sees it, "/" being the drive Z:, so
// the tool's Windows-form paths, and their lengths, are those of the package under Wine.
#include <filesystem>

#include "check/CheckHost.h"
#include "platform/posix/PosixServices.h"

namespace fs = std::filesystem;

namespace {
constexpr char kHostDrive = 'Z';

void MapHostDrive() {
    static const bool mapped = [] {
        PosixSystem().MapDrive(kHostDrive, "");
        return true;
    }();
    (void)mapped;
}
}  // namespace

std::optional<WString> WindowsFolder(const WString& hostFolder) {
    MapHostDrive();
    std::error_code error;
    const fs::path folder = fs::canonical(fs::path(Utf8FromWide(hostFolder)), error);
    if (error || !fs::is_directory(folder, error)) return std::nullopt;
    WString windows = u"Z:" + WideFromUtf8(folder.string());
    for (WChar& unit : windows) {
        if (unit == u'/') unit = u'\\';
    }
    if (windows.back() == u'\\') windows.pop_back();
    return windows;
}

WString HostForm(const WString& windowsPath) {
    MapHostDrive();
    if (windowsPath.size() < 2 || windowsPath[1] != u':' ||
        (windowsPath[0] != u'Z' && windowsPath[0] != u'z')) {
        return windowsPath;
    }
    return WideFromUtf8(PosixSystem().HostPath(windowsPath));
}

fs::path HostFilePath(const WString& hostPath) {
    return fs::path(Utf8FromWide(hostPath));
}

std::optional<WString> ReadToolRegistry(RegistryRoot, const WString&, const WString&) {
    return std::nullopt;
}

void WriteText(std::FILE* stream, const WString& text) {
    const std::string bytes = Utf8FromWide(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}
