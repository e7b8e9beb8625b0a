#pragma once
// The services for native builds, so the plain logic runs and is tested on Linux. Windows-form
// paths map to host paths: a drive letter stands for a host folder that the caller assigns
// (MapDrive), backslashes become slashes. The registry is a stand-in that tests fill.
#include <sys/stat.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/Utf8.h"
#include "platform/SystemServices.h"

class PosixServices : public SystemServices {
public:
    struct ShownMessage {
        WindowHandle owner;
        WString text;
        std::optional<WString> caption;
        uint32_t flags;
    };

    // 1252 (the default), or another of the code pages Windows uses for ANSI text.
    void SetAnsiCodePage(int codePage) { codePage_ = codePage; }
    void MapDrive(char letter, const std::string& hostFolder);
    std::string HostPath(const WString& windowsPath) const;
    void SetRegistryValue(RegistryRoot root, const WString& subKey, const WString& valueName,
                          const WString& value);
    void ClearRegistry() { registry_.clear(); }
    void SetModulePath(std::optional<WString> path) { modulePath_ = std::move(path); }

    std::vector<WString> debugOutput;
    std::vector<ShownMessage> shownMessages;

    int AnsiToWide(const char* bytes, int byteCount, WChar* out, int capacity) override;
    int WideToAnsi(const WChar* units, int unitCount, char* out, int capacity) override;
    uint32_t GetAttributes(const WString& path) override;
    uint32_t SetAttributes(const WString& path, uint32_t attributes) override;
    bool IsDirectory(const WString& path) override;
    uint32_t MakeDirectory(const WString& path) override;
    uint32_t RemoveFolder(const WString& path) override;
    OpenForReadResult ProbeOpenForRead(const WString& path) override;
    Answer<std::vector<FileFacts>> ListFolder(const WString& folder) override;
    Answer<FileFacts> QueryFile(const WString& path) override;
    OpenedFile OpenFile(const WString& path, FileAccess access) override;
    OpenedFile CreateNewFile(const WString& path) override;
    uint32_t ReplaceKeepingBackup(const WString& replaced, const WString& replacement,
                                  const WString& backup) override;
    uint32_t MoveToNewName(const WString& from, const WString& to) override;
    uint32_t RemoveFile(const WString& path) override;
    uint32_t RemoveAtRestart(const WString& path) override;
    uint32_t ReplaceAtRestart(const WString& from, const WString& to) override;
    Answer<VolumeSpace> FreeSpace(const WString& path) override;
    Answer<std::vector<FileHolder>> WhoHolds(const WString& path) override;
    WString FoldCase(const WString& text) override;
    OpenedFile OpenForAppend(const WString& path) override;
    WString LocalTimeText() override;
    uint64_t Milliseconds() override;
    void Pause(uint32_t milliseconds) override;
    std::optional<WString> FullPath(const WString& path) override;
    bool IsRelativePath(const WString& path) override;
    int DriveNumber(const WString& path) override;
    void AppendPath(WChar* buffer, const WString& more) override;
    void AddBackslashInPlace(WChar* buffer) override;
    void StripPath(WChar* buffer) override;
    void RemoveExtension(WChar* buffer) override;
    void RemoveFileSpec(WChar* buffer) override;
    std::optional<WString> ReadRegistryString(RegistryRoot root, const WString& subKey,
                                              const WString& valueName) override;
    std::optional<WString> ModulePath() override;
    RunIdentity Identity() override;
    void DebugOutput(const WString& text) override;
    std::optional<WString> SystemErrorText(uint32_t code) override;
    void ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                     uint32_t flags) override;
    Answer<WString> WindowsFolder(const WString& hostFolder) override;
    WString HostForm(const WString& windowsPath) override;
    int AnsiCodePage() override;
    bool HasRegistry() override;
    void WriteStandard(StandardStream stream, const WString& text) override;

private:
    // Z: stands for the host's root, as under Wine, unless a caller has mapped it.
    void MapHostDrive();

    using RegistryKey = std::tuple<RegistryRoot, WString, WString>;
    int codePage_ = 1252;
    std::map<char, std::string> drives_;
    std::map<RegistryKey, WString> registry_;
    std::optional<WString> modulePath_;
};

// The system's error code for an errno value, as Windows would answer the same failure.
uint32_t WindowsErrorOf(int error);

// A file's attributes as this machine keeps them: a folder, read-only without the owner's write
// permission, else normal; and the mode that gives a file these attributes.
uint32_t AttributesOf(const struct stat& info);
mode_t ModeWithAttributes(mode_t mode, uint32_t attributes);
// A file opened here for reading, as the services answer it; closes `descriptor` when it goes.
std::shared_ptr<SystemFile> PosixReadFile(int descriptor, const std::string& path);

// The process's native services, as their concrete type, for tests that fill the stand-ins.
PosixServices& PosixSystem();
