#pragma once
// The operating-system services that the plain logic relies on. The product uses the Win32
// implementation; native tests use the POSIX one. The logic never knows which it runs on.
#include <cstdint>
#include <optional>
#include <string>

#include "app/WString.h"

using WindowHandle = void*;

constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
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
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorFilenameExcedRange = 206;

enum class RegistryRoot { CurrentUser, LocalMachine };

struct OpenForReadResult {
    bool opened = false;
    uint32_t error = 0;  // the system's code when the open failed
    uint64_t size = 0;   // the whole size, 64 bits
};

class SystemServices {
public:
    virtual ~SystemServices() = default;

    // ANSI code page <-> UTF-16, as MultiByteToWideChar / WideCharToMultiByte with CP_ACP and
    // no flags. Both write at most `capacity` units and return the count written (0 on failure).
    virtual int AnsiToWide(const char* bytes, int byteCount, WChar* out, int capacity) = 0;
    virtual int WideToAnsi(const WChar* units, int unitCount, char* out, int capacity) = 0;

    // Files and folders.
    virtual uint32_t GetAttributes(const WString& path) = 0;  // kInvalidFileAttributes when none
    virtual bool SetAttributes(const WString& path, uint32_t attributes) = 0;
    virtual bool IsDirectory(const WString& path) = 0;
    virtual bool MakeDirectory(const WString& path) = 0;  // default security
    // Opens for reading with shared reading only, existing files only; closes again at once.
    virtual OpenForReadResult ProbeOpenForRead(const WString& path) = 0;

    // The full path of a path of any length, "." and ".." resolved and "/" read as "\", as
    // GetFullPathNameW gives it; nullopt when the system cannot give one.
    virtual std::optional<WString> FullPath(const WString& path) = 0;

    // Path text services with the shell's rules (PathIsRelativeW and friends).
    virtual bool IsRelativePath(const WString& path) = 0;
    virtual int DriveNumber(const WString& path) = 0;
    // Appends `more` to the text in `buffer` (kPathUnits units) as PathAppendW does.
    virtual void AppendPath(WChar* buffer, const WString& more) = 0;
    // As PathAddBackslashW on a buffer of kPathUnits units.
    virtual void AddBackslashInPlace(WChar* buffer) = 0;
    virtual void StripPath(WChar* buffer) = 0;
    virtual void RemoveExtension(WChar* buffer) = 0;
    virtual void RemoveFileSpec(WChar* buffer) = 0;

    // The registry: reads a string value of a key under the chosen root through the process's
    // own registry view. The text runs to its first zero unit, at most 260 units.
    virtual std::optional<WString> ReadRegistryString(RegistryRoot root, const WString& subKey,
                                                      const WString& valueName) = 0;

    // The running executable's full path, nullopt when the system cannot give it.
    virtual std::optional<WString> ModulePath() = 0;

    // Diagnostics.
    virtual void DebugOutput(const WString& text) = 0;
    virtual uint32_t LastError() = 0;
    // The system's message text for a code, nullopt when it has none.
    virtual std::optional<WString> SystemErrorText(uint32_t code) = 0;
    // A modal message box; a null caption leaves the system's default caption.
    virtual void ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                             uint32_t flags) = 0;
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
