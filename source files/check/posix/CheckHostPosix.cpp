// The checker on Linux: the host's file system seen as Wine sees it, "/" being the drive Z:, so
// the tool's Windows-form paths, and their lengths, are those of the package under Wine.
#include <filesystem>

#include "check/CheckHost.h"
#include "check/LineTraps.h"
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

bool HostHasRegistry() {
    return false;
}

int ToolCodePage() {
    return PosixSystem().AnsiCodePage();
}

std::vector<WString> NamesIn(const WString& windowsFolder) {
    std::vector<WString> names;
    std::error_code error;
    for (fs::directory_iterator it(PosixSystem().HostPath(windowsFolder), error), end;
         !error && it != end; it.increment(error)) {
        names.push_back(WideFromUtf8(it->path().filename().string()));
    }
    return names;
}

// Each part of the path, from the first that does not exist as written, is looked for among its
// folder's names without regard to case; the separators stay as the path has them.
std::optional<WString> CaseVariant(const WString& windowsPath) {
    std::error_code error;
    if (fs::exists(PosixSystem().HostPath(windowsPath), error)) return std::nullopt;
    WString found;
    bool changed = false;
    size_t start = 0;
    while (start <= windowsPath.size()) {
        size_t end = windowsPath.find_first_of(u"\\/", start);
        if (end == WString::npos) end = windowsPath.size();
        const WString part = windowsPath.substr(start, end - start);
        const WString separator = windowsPath.substr(end, end < windowsPath.size() ? 1 : 0);
        WString here = found + part;
        const bool plain = part.empty() || part == u"." || part == u".." || start == 0;
        if (!plain && !fs::exists(PosixSystem().HostPath(here), error)) {
            bool matched = false;
            for (const WString& name : NamesIn(found)) {
                if (SameIgnoringCase(name, part)) {
                    here = found + name;
                    matched = changed = true;
                    break;
                }
            }
            if (!matched) return std::nullopt;
        }
        found = here + separator;
        start = end + 1;
    }
    if (!changed) return std::nullopt;
    return found;
}

void WriteText(std::FILE* stream, const WString& text) {
    const std::string bytes = Utf8FromWide(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}
