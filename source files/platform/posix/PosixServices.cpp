#include <pwd.h>
#include <unistd.h>
#include "platform/posix/PosixServices.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace {
thread_local uint32_t t_lastError = 0;

bool Fail() {
    t_lastError = WindowsErrorOf(errno);
    return false;
}
}  // namespace

uint32_t WindowsErrorOf(int error) {
    switch (error) {
        case ENOENT: return kErrorFileNotFound;
        case ENOTDIR: return kErrorPathNotFound;
        case EEXIST: return kErrorAlreadyExists;
        case ENAMETOOLONG: return kErrorFilenameExcedRange;
        case ENOSPC: return kErrorDiskFull;
        default: return kErrorAccessDenied;
    }
}

uint32_t AttributesOf(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return kFileAttributeDirectory;
    return (info.st_mode & S_IWUSR) ? kFileAttributeNormal : kFileAttributeReadOnly;
}

mode_t ModeWithAttributes(mode_t mode, uint32_t attributes) {
    return (attributes & kFileAttributeReadOnly) ? (mode & ~0222) : (mode | S_IWUSR);
}

void PosixServices::MapDrive(char letter, const std::string& hostFolder) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    drives_[letter] = hostFolder;
}

std::string PosixServices::HostPath(const WString& windowsPath) const {
    // The "\\?\" form of a long path names the same file.
    WString rest = windowsPath.compare(0, 4, u"\\\\?\\") == 0 ? windowsPath.substr(4) : windowsPath;
    std::string prefix;
    if (rest.size() >= 2 && rest[1] == u':' && rest[0] < 0x80) {
        char letter = static_cast<char>(rest[0]);
        if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
        auto drive = drives_.find(letter);
        if (drive != drives_.end()) {
            prefix = drive->second + "/";
            rest = rest.substr(2);
            while (!rest.empty() && (rest[0] == u'\\' || rest[0] == u'/')) rest.erase(0, 1);
        }
    }
    for (WChar& unit : rest) {
        if (unit == u'\\') unit = u'/';
    }
    return prefix + Utf8FromWide(rest);
}

uint32_t PosixServices::GetAttributes(const WString& path) {
    struct stat info {};
    const std::string host = HostPath(path);
    if (path.empty() || ::lstat(host.c_str(), &info) != 0) {
        Fail();
        return kInvalidFileAttributes;
    }
    // A link is a reparse point, a folder too where its target is one, as Windows has it.
    if (!S_ISLNK(info.st_mode)) return AttributesOf(info);
    struct stat target {};
    const bool folder = ::stat(host.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return kFileAttributeReparsePoint | (folder ? kFileAttributeDirectory : 0);
}

uint32_t PosixServices::SetAttributes(const WString& path, uint32_t attributes) {
    struct stat info {};
    std::string host = HostPath(path);
    if (::stat(host.c_str(), &info) != 0 ||
        ::chmod(host.c_str(), ModeWithAttributes(info.st_mode, attributes)) != 0) {
        Fail();
        return t_lastError;
    }
    return 0;
}

bool PosixServices::IsDirectory(const WString& path) {
    struct stat info {};
    return !path.empty() && ::stat(HostPath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

uint32_t PosixServices::MakeDirectory(const WString& path) {
    if (::mkdir(HostPath(path).c_str(), 0777) == 0) return 0;
    Fail();
    return t_lastError;
}

uint32_t PosixServices::RemoveFolder(const WString& path) {
    if (::rmdir(HostPath(path).c_str()) == 0) return 0;
    Fail();
    return t_lastError;
}

OpenForReadResult PosixServices::ProbeOpenForRead(const WString& path) {
    OpenForReadResult result;
    const std::string host = path.empty() ? std::string() : HostPath(path);
    int fd = path.empty() ? -1 : ::open(host.c_str(), O_RDONLY);
    if (path.empty()) errno = ENOENT;
    if (fd < 0) {
        Fail();
        result.error = t_lastError;
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        result.error = t_lastError = kErrorAccessDenied;
        return result;
    }
    result.opened = true;
    result.size = static_cast<uint64_t>(info.st_size);
    result.file = PosixReadFile(fd, host);
    return result;
}

void PosixServices::SetRegistryValue(RegistryRoot root, const WString& subKey,
                                     const WString& valueName, const WString& value) {
    registry_[RegistryKey(root, FoldCase(subKey), FoldCase(valueName))] = value;
}

std::optional<WString> PosixServices::ReadRegistryString(RegistryRoot root, const WString& subKey,
                                                         const WString& valueName) {
    auto found = registry_.find(RegistryKey(root, FoldCase(subKey), FoldCase(valueName)));
    if (found == registry_.end()) return std::nullopt;
    // Like the real query into 520 bytes: data that does not fit with its terminator fails.
    if (found->second.size() >= 260) return std::nullopt;
    return found->second.substr(0, found->second.find(u'\0'));
}

std::optional<WString> PosixServices::ModulePath() {
    return modulePath_;
}

void PosixServices::DebugOutput(const WString& text) {
    debugOutput.push_back(text);
}

std::optional<WString> PosixServices::SystemErrorText(uint32_t code) {
    switch (code) {
        case kErrorFileNotFound: return WString(u"The system cannot find the file specified.\r\n");
        case kErrorPathNotFound: return WString(u"The system cannot find the path specified.\r\n");
        case kErrorAccessDenied: return WString(u"Access is denied.\r\n");
        case kErrorSharingViolation:
            return WString(
                u"The process cannot access the file because it is being used by "
                u"another process.\r\n");
        case kErrorAlreadyExists:
            return WString(u"Cannot create a file when that file already exists.\r\n");
        case kErrorFilenameExcedRange:
            return WString(u"The filename or extension is too long.\r\n");
        default: return std::nullopt;
    }
}

void PosixServices::ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                                uint32_t flags) {
    std::optional<WString> title;
    if (caption != nullptr) title = WString(caption);
    shownMessages.push_back({owner, text, title, flags});
}

PosixServices& PosixSystem() {
    static PosixServices services;
    return services;
}

SystemServices& NativeSystem() {
    return PosixSystem();
}

RunIdentity PosixServices::Identity() {
    RunIdentity identity;
    if (const passwd* user = ::getpwuid(::geteuid()))
        identity.account = WideFromUtf8(user->pw_name);
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0) identity.computer = WideFromUtf8(host);
    identity.elevated = ::geteuid() == 0;
    identity.processId = static_cast<uint32_t>(::getpid());
    return identity;
}

namespace {
// The drive under which Wine shows the host's whole file system.
constexpr char kHostDrive = 'Z';
}  // namespace

void PosixServices::MapHostDrive() {
    if (drives_.count(kHostDrive) == 0) MapDrive(kHostDrive, "");
}

Answer<WString> PosixServices::WindowsFolder(const WString& hostFolder) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::canonical(fs::path(Utf8FromWide(hostFolder)), error);
    if (error || !fs::is_directory(folder, error)) return {kErrorPathNotFound, {}};
    MapHostDrive();
    WString windows = WString(u"Z:") + WideFromUtf8(folder.string());
    for (WChar& unit : windows) {
        if (unit == u'/') unit = u'\\';
    }
    if (windows.back() == u'\\') windows.pop_back();
    return {0, windows};
}

WString PosixServices::HostForm(const WString& windowsPath) {
    const bool onHostDrive = windowsPath.size() >= 2 && windowsPath[1] == u':' &&
                             (windowsPath[0] == u'Z' || windowsPath[0] == u'z');
    if (!onHostDrive) return windowsPath;
    MapHostDrive();
    return WideFromUtf8(HostPath(windowsPath));
}

int PosixServices::AnsiCodePage() {
    return codePage_;
}

bool PosixServices::HasRegistry() {
    return false;
}

void PosixServices::WriteStandard(StandardStream stream, const WString& text) {
    const std::string bytes = Utf8FromWide(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream == StandardStream::Error ? stderr : stdout);
}
