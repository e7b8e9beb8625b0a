// The checker on Linux: the host's file system seen as Wine sees it, "/" being the drive Z:, so
// the tool's Windows-form paths, and their lengths, are those of the package under Wine.
#include <filesystem>
#include <fstream>
#include <iterator>

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

std::optional<std::string> ReadWholeFile(const WString& hostPath) {
    std::error_code error;
    const fs::path path(Utf8FromWide(hostPath));
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::optional<WString> ReadToolRegistry(RegistryRoot, const WString&, const WString&) {
    return std::nullopt;
}

void WriteText(std::FILE* stream, const WString& text) {
    const std::string bytes = Utf8FromWide(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}
