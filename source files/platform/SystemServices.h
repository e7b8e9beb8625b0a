#pragma once
// The operating-system services that the plain logic relies on. The product uses the Win32
// implementation; native tests use the POSIX one. The logic never knows which it runs on.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/WString.h"

using WindowHandle = void*;

constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr uint32_t kFileAttributeReadOnly = 0x1u;
constexpr uint32_t kFileAttributeHidden = 0x2u;
constexpr uint32_t kFileAttributeSystem = 0x4u;
constexpr uint32_t kFileAttributeDirectory = 0x10u;
constexpr uint32_t kFileAttributeReparsePoint = 0x400u;  // a link: symbolic link or junction
constexpr uint32_t kFileAttributeNormal = 0x80u;

// Message box flags, with the values the system gives them.
constexpr uint32_t kMbOk = 0x0u;
constexpr uint32_t kMbIconInformation = 0x40u;
constexpr uint32_t kMbIconWarning = 0x30u;
constexpr uint32_t kMbSetForeground = 0x10000u;
constexpr uint32_t kMbTopmost = 0x40000u;

// Error codes with the values the system gives them.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorLockViolation = 33;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorFilenameExcedRange = 206;
constexpr uint32_t kErrorDirNotEmpty = 145;
constexpr uint32_t kErrorBadPathname = 161;
constexpr uint32_t kErrorStoppedOnSymlink = 681;
constexpr uint32_t kErrorTooManyLinks = 1142;
constexpr uint32_t kErrorUnableToRemoveReplaced = 1175;
constexpr uint32_t kErrorUnableToMoveReplacement = 1176;
constexpr uint32_t kErrorUnableToMoveReplacement2 = 1177;

enum class RegistryRoot { CurrentUser, LocalMachine };

class SystemFile;

struct OpenForReadResult {
    bool opened = false;
    uint32_t error = 0;  // the system's code when the open failed
    uint64_t size = 0;   // the whole size, 64 bits
    // The file still open, for reading; closed when its last holder lets it go.
    std::shared_ptr<SystemFile> file;
};

// What the system keeps of a file: as a folder's listing gives it (with its name), or as a
// query of one path gives it (no name).
struct FileFacts {
    WString name;
    uint32_t attributes = 0;
    uint64_t size = 0;
    uint64_t lastWriteTime = 0;  // 100-nanosecond intervals since 1601, as the system counts
};

// How the copy opens an existing file. Every kind of sharing is granted, so only a holder that
// denies what is asked for makes the open fail (with a sharing violation).
enum class FileAccess {
    Read,
    // Reading, writing and deleting: what writing the file anew or replacing it needs. A running
    // program or a loaded library holds its file against this.
    Replace,
    // Reading, and setting attributes and times, which no holder's sharing can deny.
    ReadAndStamp,
    // Deleting, renaming and its attributes, of the name itself: a link is opened as the link,
    // never followed; a folder opens too.
    Change,
    // A folder held so that no one can rename or remove it (and so swap it for a link) while
    // the handle is open: deleting is not shared. What lies in it may still change. A link to
    // the folder is followed.
    Pin,
};

// What the system answers a call that asks for something: `error` is 0 (ERROR_SUCCESS) and
// `value` what was asked for, or `error` is the system's code. Every call of the services answers
// so, or with its code alone: one way to fail.
template <typename T>
struct [[nodiscard]] Answer {
    uint32_t error = 0;
    T value{};
};

// An open file; closed when the object goes.
class SystemFile {
public:
    virtual ~SystemFile() = default;
    // Reads up to `capacity` bytes at the current position into `buffer`; `count` is what was
    // read, 0 at the end. A read of a disk file comes back short only at its end.
    [[nodiscard]] virtual uint32_t Read(uint8_t* buffer, uint32_t capacity, uint32_t& count) = 0;
    // Writes all of `size` bytes at the end of what was written.
    [[nodiscard]] virtual uint32_t Write(const uint8_t* data, uint32_t size) = 0;
    // Goes back to the file's start, so that the next read reads it from there.
    [[nodiscard]] virtual uint32_t Rewind() = 0;
    [[nodiscard]] virtual uint64_t LastWriteTime() = 0;  // 0 when the system cannot say
    // Sets the attributes and the last-write time; a 0 leaves that one as it is.
    [[nodiscard]] virtual uint32_t Stamp(uint32_t attributes, uint64_t lastWriteTime) = 0;
    // The open file's attributes, kInvalidFileAttributes when the system cannot say.
    [[nodiscard]] virtual uint32_t Attributes() = 0;
    // The full path the system has for the open file, nullopt when it cannot say.
    [[nodiscard]] virtual std::optional<WString> FinalPath() = 0;
    // Through the open file (opened for Change): deletes it, or renames it to `path`, a name that
    // must be free.
    [[nodiscard]] virtual uint32_t Remove() = 0;
    [[nodiscard]] virtual uint32_t Rename(const WString& path) = 0;
};

using OpenedFile = Answer<std::unique_ptr<SystemFile>>;

// A volume's root ("C:\") and the bytes free there for the caller.
struct VolumeSpace {
    WString volume;
    uint64_t freeBytes = 0;
};

// A program that holds a file open, as the system's restart manager names it.
struct FileHolder {
    WString name;  // the application's name, or its executable's when it has none
    uint32_t processId = 0;
};

// Who runs the process, and where, as the log's first lines name it.
struct RunIdentity {
    WString account;   // DOMAIN\user; empty when the system cannot say
    WString computer;  // empty when the system cannot say
    bool elevated = false;
    bool systemAccount = false;  // the local system account, as deployment services run programs
    uint32_t processId = 0;
};

// The standard streams of a command-line program.
enum class StandardStream { Output, Error };

class SystemServices {
public:
    virtual ~SystemServices() = default;

    // ANSI code page <-> UTF-16, as MultiByteToWideChar / WideCharToMultiByte with CP_ACP and
    // no flags. Both write at most `capacity` units and return the count written (0 on failure).
    [[nodiscard]] virtual int AnsiToWide(const char* bytes, int byteCount, WChar* out,
                                         int capacity) = 0;
    [[nodiscard]] virtual int WideToAnsi(const WChar* units, int unitCount, char* out,
                                         int capacity) = 0;

    // Files and folders.
    // kInvalidFileAttributes when none.
    [[nodiscard]] virtual uint32_t GetAttributes(const WString& path) = 0;
    [[nodiscard]] virtual uint32_t SetAttributes(const WString& path, uint32_t attributes) = 0;
    [[nodiscard]] virtual bool IsDirectory(const WString& path) = 0;
    // Creates one folder with default security: 0, or the system's code.
    [[nodiscard]] virtual uint32_t MakeDirectory(const WString& path) = 0;
    // Removes a folder, which must be empty.
    [[nodiscard]] virtual uint32_t RemoveFolder(const WString& path) = 0;
    // Opens for reading with shared reading only, existing files only: while the answer's file
    // is open, no one writes to it, renames it or removes it.
    [[nodiscard]] virtual OpenForReadResult ProbeOpenForRead(const WString& path) = 0;

    // The files of the copy.
    // A folder's files and subfolders, "." and ".." left out.
    virtual Answer<std::vector<FileFacts>> ListFolder(const WString& folder) = 0;
    // What the system keeps of one path (no name).
    virtual Answer<FileFacts> QueryFile(const WString& path) = 0;
    virtual OpenedFile OpenFile(const WString& path, FileAccess access) = 0;
    // Creates a file, for writing and with the normal attribute, where no file has the name yet
    // (kErrorFileExists where one has), and answers it open: it can be renamed or removed through
    // the answer, and while that is open no one else writes to it, renames it or removes it.
    virtual OpenedFile CreateNewFile(const WString& path) = 0;
    // ReplaceFileW keeping the replaced file's security: `replaced` moves to `backup` (written
    // over if it exists), then `replacement` takes its name; each documented failure leaves the
    // three names in its own state.
    [[nodiscard]] virtual uint32_t ReplaceKeepingBackup(const WString& replaced,
                                                        const WString& replacement,
                                                        const WString& backup) = 0;
    // Renames a file to a name that must not exist yet.
    [[nodiscard]] virtual uint32_t MoveToNewName(const WString& from, const WString& to) = 0;
    [[nodiscard]] virtual uint32_t RemoveFile(const WString& path) = 0;
    // Has the system delete a file at the next restart.
    [[nodiscard]] virtual uint32_t RemoveAtRestart(const WString& path) = 0;
    // Has the system rename `from` to `to`, replacing what is there, at the next restart.
    [[nodiscard]] virtual uint32_t ReplaceAtRestart(const WString& from, const WString& to) = 0;
    // The volume that `path` lies on (the path need not exist yet, only its volume) and the
    // bytes free there for the caller.
    virtual Answer<VolumeSpace> FreeSpace(const WString& path) = 0;
    // The programs that hold `path` open, as the system's restart manager knows them; an error
    // when it cannot say.
    virtual Answer<std::vector<FileHolder>> WhoHolds(const WString& path) = 0;
    // Text in one letter case, as the file system compares names.
    [[nodiscard]] virtual WString FoldCase(const WString& text) = 0;
    // A file opened, or created, to append to, while other programs may read and write it.
    // Only a file of its own: a name that is a link (kErrorStoppedOnSymlink) or a file that has
    // other names too (kErrorTooManyLinks) is refused, since whoever made them could turn the
    // writes to another file; a file made between the look and the open is noticed.
    virtual OpenedFile OpenForAppend(const WString& path) = 0;
    // The local date and time, as "2026-12-07 13:45:02.125".
    [[nodiscard]] virtual WString LocalTimeText() = 0;
    // A clock in milliseconds that never goes back, and a pause of the calling thread.
    [[nodiscard]] virtual uint64_t Milliseconds() = 0;
    virtual void Pause(uint32_t milliseconds) = 0;

    // The full path of a path of any length, "." and ".." resolved and "/" read as "\", as
    // GetFullPathNameW gives it; nullopt when the system cannot give one.
    [[nodiscard]] virtual std::optional<WString> FullPath(const WString& path) = 0;

    // Path text services with the shell's rules (PathIsRelativeW and friends).
    [[nodiscard]] virtual bool IsRelativePath(const WString& path) = 0;
    [[nodiscard]] virtual int DriveNumber(const WString& path) = 0;
    // Appends `more` to the text in `buffer` (kPathUnits units) as PathAppendW does.
    virtual void AppendPath(WChar* buffer, const WString& more) = 0;
    // As PathAddBackslashW on a buffer of kPathUnits units.
    virtual void AddBackslashInPlace(WChar* buffer) = 0;
    virtual void StripPath(WChar* buffer) = 0;
    virtual void RemoveExtension(WChar* buffer) = 0;
    virtual void RemoveFileSpec(WChar* buffer) = 0;

    // The registry: reads a string value of a key under the chosen root through the process's
    // own registry view. The text runs to its first zero unit, at most 260 units.
    [[nodiscard]] virtual std::optional<WString> ReadRegistryString(RegistryRoot root,
                                                                    const WString& subKey,
                                                                    const WString& valueName) = 0;

    // The running executable's full path, nullopt when the system cannot give it.
    [[nodiscard]] virtual std::optional<WString> ModulePath() = 0;
    [[nodiscard]] virtual RunIdentity Identity() = 0;

    // Diagnostics.
    virtual void DebugOutput(const WString& text) = 0;
    // The system's message text for a code, nullopt when it has none.
    [[nodiscard]] virtual std::optional<WString> SystemErrorText(uint32_t code) = 0;
    // A modal message box; a null caption leaves the system's default caption.
    virtual void ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                             uint32_t flags) = 0;

    // What norvane-check asks of the machine it runs on: folders as its user names them, the
    // code page and the registry the tool would read there, text out.
    // The absolute Windows form of a folder the machine's user names, without a trailing
    // backslash; kErrorPathNotFound when there is no such folder. Off Windows the host's file
    // system is seen as Wine sees it: "/" is the drive Z:.
    virtual Answer<WString> WindowsFolder(const WString& hostFolder) = 0;
    // A Windows-form path as the machine's user names it.
    [[nodiscard]] virtual WString HostForm(const WString& windowsPath) = 0;
    // The ANSI code page that AnsiToWide and WideToAnsi convert with.
    [[nodiscard]] virtual int AnsiCodePage() = 0;
    // True where ReadRegistryString reads the machine's own registry; elsewhere it reads a
    // stand-in that only tests and the checker's --installdir fill.
    [[nodiscard]] virtual bool HasRegistry() = 0;
    // Text to a standard stream: a console shows it as it is, a pipe or a file gets UTF-8.
    virtual void WriteStandard(StandardStream stream, const WString& text) = 0;
};

// The services the logic uses: the platform's own unless a test has put another in place.
SystemServices& System();
SystemServices& NativeSystem();

// Puts other services in place for the life of the object: tests, and norvane-check, which
// gives the tool's own list building the services of a dry run.
class ScopedSystemOverride {
public:
    explicit ScopedSystemOverride(SystemServices& services);
    ~ScopedSystemOverride();
    ScopedSystemOverride(const ScopedSystemOverride&) = delete;
    ScopedSystemOverride& operator=(const ScopedSystemOverride&) = delete;

private:
    SystemServices* previous_;
};
