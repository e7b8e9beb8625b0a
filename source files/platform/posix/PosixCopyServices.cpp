// The services of the copy on this machine's own files. No holder can deny sharing here; the
// tests that need one put it in place themselves.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "platform/posix/PosixServices.h"

#include "base/CaseFold.h"

namespace {
// The system's 100-nanosecond ticks since 1601 and the Unix time between them.
constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kUnixEpochTicks = 116444736000000000;

uint32_t Errno() {
    return WindowsErrorOf(errno);
}

uint64_t Ticks(const timespec& time) {
    return kUnixEpochTicks + static_cast<uint64_t>(time.tv_sec) * kTicksPerSecond +
           static_cast<uint64_t>(time.tv_nsec) / 100;
}

timespec TimeOf(uint64_t ticks) {
    const uint64_t unix = ticks - kUnixEpochTicks;
    return {static_cast<time_t>(unix / kTicksPerSecond),
            static_cast<long>(unix % kTicksPerSecond * 100)};
}

FileFacts FactsOf(const struct stat& info, WString name = WString()) {
    return {std::move(name), AttributesOf(info), static_cast<uint64_t>(info.st_size),
            Ticks(info.st_mtim)};
}

class PosixFile : public SystemFile {
public:
    // `path`: where it was opened, for the changes made through it.
    explicit PosixFile(int descriptor, std::string path = std::string())
        : fd_(descriptor), path_(std::move(path)) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    uint32_t Read(uint8_t* buffer, uint32_t capacity, uint32_t& count) override {
        const ssize_t read = ::read(fd_, buffer, capacity);
        count = read > 0 ? static_cast<uint32_t>(read) : 0;
        return read < 0 ? Errno() : 0;
    }
    uint32_t Write(const uint8_t* data, uint32_t size) override {
        for (uint32_t done = 0; done < size;) {
            const ssize_t wrote = ::write(fd_, data + done, size - done);
            if (wrote <= 0) return Errno();
            done += static_cast<uint32_t>(wrote);
        }
        return 0;
    }
    uint32_t Rewind() override { return ::lseek(fd_, 0, SEEK_SET) == 0 ? 0 : Errno(); }
    uint64_t LastWriteTime() override {
        struct stat info {};
        return ::fstat(fd_, &info) == 0 ? Ticks(info.st_mtim) : 0;
    }
    // A file opened as its name alone (for a change) is stamped by that name.
    uint32_t Stamp(uint32_t attributes, uint64_t lastWriteTime) override {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) return Errno();
        const bool byName = (::fcntl(fd_, F_GETFL) & O_PATH) != 0;
        if (attributes != 0) {
            const mode_t mode = ModeWithAttributes(info.st_mode, attributes);
            if ((byName ? ::chmod(path_.c_str(), mode) : ::fchmod(fd_, mode)) != 0) return Errno();
        }
        if (lastWriteTime != 0) {
            const timespec times[2] = {{0, UTIME_OMIT}, TimeOf(lastWriteTime)};
            if ((byName ? ::utimensat(AT_FDCWD, path_.c_str(), times, 0)
                        : ::futimens(fd_, times)) != 0) {
                return Errno();
            }
        }
        return 0;
    }
    uint32_t Attributes() override {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) return kInvalidFileAttributes;
        return S_ISLNK(info.st_mode) ? kFileAttributeReparsePoint : AttributesOf(info);
    }
    // This system keeps no path for an open file that the tool could compare.
    std::optional<WString> FinalPath() override { return std::nullopt; }
    uint32_t Remove() override {
        struct stat info {};
        const bool folder = ::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode);
        return (folder ? ::rmdir(path_.c_str()) : ::unlink(path_.c_str())) == 0 ? 0 : Errno();
    }
    uint32_t Rename(const WString& path) override;

private:
    int fd_;
    std::string path_;
};

}  // namespace

std::shared_ptr<SystemFile> PosixReadFile(int descriptor, const std::string& path) {
    return std::make_shared<PosixFile>(descriptor, path);
}

Answer<std::vector<FileFacts>> PosixServices::ListFolder(const WString& folder) {
    const std::string host = HostPath(folder);
    DIR* directory = ::opendir(host.c_str());
    if (directory == nullptr) return {Errno(), {}};
    std::vector<FileFacts> items;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        struct stat info {};
        if (name == "." || name == ".." || ::stat((host + "/" + name).c_str(), &info) != 0)
            continue;
        items.push_back(FactsOf(info, WideFromUtf8(name)));
    }
    ::closedir(directory);
    return {0, std::move(items)};
}

Answer<FileFacts> PosixServices::QueryFile(const WString& path) {
    struct stat info {};
    if (::stat(HostPath(path).c_str(), &info) != 0) return {Errno(), {}};
    return {0, FactsOf(info)};
}

uint32_t PosixFile::Rename(const WString& path) {
    const std::string target = PosixSystem().HostPath(path);
    if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        path_ = target;
        return 0;
    }
    return errno == EEXIST ? kErrorAlreadyExists : Errno();
}

OpenedFile PosixServices::OpenFile(const WString& path, FileAccess access) {
    const std::string host = HostPath(path);
    int flags = access == FileAccess::Replace ? O_RDWR : O_RDONLY;
    // The name itself: a link is not followed.
    if (access == FileAccess::Change) flags = O_PATH | O_NOFOLLOW;
    if (access == FileAccess::Pin) flags = O_PATH | O_DIRECTORY;
    const int descriptor = ::open(host.c_str(), flags);
    if (descriptor < 0) return {Errno(), nullptr};
    return {0, std::make_unique<PosixFile>(descriptor, host)};
}

uint32_t PosixServices::ReplaceKeepingBackup(const WString& replaced, const WString& replacement,
                                             const WString& backup) {
    const std::string from = HostPath(replacement), to = HostPath(replaced);
    if (::access(to.c_str(), F_OK) != 0 || ::access(from.c_str(), F_OK) != 0) return Errno();
    if (::rename(to.c_str(), HostPath(backup).c_str()) != 0) return Errno();
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : kErrorUnableToMoveReplacement2;
}

uint32_t PosixServices::MoveToNewName(const WString& from, const WString& to) {
    // A hard link fails where the name is taken, so nothing is written over.
    const std::string source = HostPath(from), target = HostPath(to);
    if (::link(source.c_str(), target.c_str()) != 0) {
        return errno == EEXIST ? kErrorAlreadyExists : Errno();
    }
    return ::unlink(source.c_str()) == 0 ? 0 : Errno();
}

OpenedFile PosixServices::CreateNewFile(const WString& path) {
    const std::string host = HostPath(path);
    const int descriptor = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (descriptor < 0) return {errno == EEXIST ? kErrorFileExists : Errno(), nullptr};
    return {0, std::make_unique<PosixFile>(descriptor, host)};
}

uint32_t PosixServices::RemoveFile(const WString& path) {
    return ::unlink(HostPath(path).c_str()) == 0 ? 0 : Errno();
}

uint32_t PosixServices::RemoveAtRestart(const WString&) {
    return kErrorNotSupported;
}

// This system has no restart-time renames: a test that needs one puts its own in place.
uint32_t PosixServices::ReplaceAtRestart(const WString&, const WString&) {
    return kErrorNotSupported;
}

Answer<VolumeSpace> PosixServices::FreeSpace(const WString& path) {
    // The nearest folder on the way that exists stands for the path's volume.
    std::string host = HostPath(path);
    struct statvfs info {};
    while (::statvfs(host.c_str(), &info) != 0) {
        const size_t slash = host.find_last_of('/', host.size() > 1 ? host.size() - 2 : 0);
        if (errno != ENOENT || slash == std::string::npos) return {Errno(), {}};
        host = host.substr(0, slash + 1);
    }
    const WString volume = path.size() >= 3 && path[1] == u':' ? path.substr(0, 3) : WString(u"\\");
    return {0, {volume, static_cast<uint64_t>(info.f_bavail) * info.f_frsize}};
}

// This system keeps no record of which programs hold a file.
Answer<std::vector<FileHolder>> PosixServices::WhoHolds(const WString&) {
    return {kErrorNotSupported, {}};
}

WString PosixServices::FoldCase(const WString& text) {
    return CaseFolded(text);
}

OpenedFile PosixServices::OpenForAppend(const WString& path) {
    const std::string host = HostPath(path);
    // A new file, else the one there; never through a link at the name.
    int descriptor =
        ::open(host.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
    if (descriptor < 0 && errno == EEXIST) {
        descriptor = ::open(host.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW);
    }
    if (descriptor < 0) return {errno == ELOOP ? kErrorStoppedOnSymlink : Errno(), nullptr};
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || info.st_nlink > 1) {
        const uint32_t error = info.st_nlink > 1 ? kErrorTooManyLinks : Errno();
        ::close(descriptor);
        return {error, nullptr};
    }
    return {0, std::make_unique<PosixFile>(descriptor)};
}

WString PosixServices::LocalTimeText() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(now.tv_nsec / 1000000));
    return WideFromUtf8(text);
}

uint64_t PosixServices::Milliseconds() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void PosixServices::Pause(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
