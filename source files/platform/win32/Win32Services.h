#pragma once
#include "platform/SystemServices.h"

// A string value of a key under the chosen root, read through the given registry view (0 for
// the process's own): the text up to its first zero unit, at most 260 units, whatever the
// value's type.
std::optional<WString> ReadRegistryText(RegistryRoot root, const WString& subKey,
                                        const WString& valueName, uint32_t view);

// The product's services: each one calls the Win32 function named for it.
class Win32Services : public SystemServices {
public:
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
};
