#pragma once
// The system's services as the checker gives them to the tool's own list building: the
// machine's files and code page, the executable standing in the package folder, the registry
// answered first from the command line's --installdir (its keys matched as the registry matches
// them), names found as Windows finds them (whatever their letter case, without the blanks and
// dots at their end), and every message box, registry lookup and source probe recorded with the
// list line the tool was reading.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ForwardingServices.h"

class CTextLine;

class CheckServices : public ForwardingServices {
public:
    struct InstallDir {
        WString key;
        WString folder;  // Windows form
    };
    struct ShownMessage {
        uint32_t line;  // 1-based
        WindowHandle owner;
        WString text;
        std::optional<WString> caption;  // none: the system's default one
    };
    struct Lookup {
        uint32_t line;
        RegistryRoot root;
        WString key;
        std::optional<WString> value;
        bool fromCommandLine;  // answered by --installdir
    };

    struct CaseMatch {
        uint32_t line;
        WString written;  // the path the tool asked for
        WString found;    // as it exists, in other letter case
    };

    CheckServices(SystemServices& base, WString packageFolder, std::vector<InstallDir> installDirs);

    const std::vector<InstallDir>& InstallDirs() const { return installDirs_; }

    // The list line that recorded events belong to is read from here; none: line 0.
    void FollowCursor(const CTextLine* text) { cursor_ = text; }

    std::vector<ShownMessage> shown;
    std::vector<Lookup> lookups;
    std::vector<uint32_t> probeLines;    // the line of each source probe, in order
    std::vector<CaseMatch> caseMatches;  // attributes found only in other letter case

    uint32_t GetAttributes(const WString& path) override;
    bool IsDirectory(const WString& path) override;
    // Nothing is ever written: a dry run leaves the machine as it found it.
    uint32_t SetAttributes(const WString& path, uint32_t attributes) override;
    uint32_t MakeDirectory(const WString& path) override;
    uint32_t RemoveFolder(const WString& path) override;
    OpenedFile OpenFile(const WString& path, FileAccess access) override;
    OpenedFile CreateNewFile(const WString& path) override;
    Answer<FileFacts> QueryFile(const WString& path) override;
    uint32_t ReplaceKeepingBackup(const WString& replaced, const WString& replacement,
                                  const WString& backup) override;
    uint32_t MoveToNewName(const WString& from, const WString& to) override;
    uint32_t RemoveFile(const WString& path) override;
    uint32_t RemoveAtRestart(const WString& path) override;
    uint32_t ReplaceAtRestart(const WString& from, const WString& to) override;
    OpenedFile OpenForAppend(const WString& path) override;

    OpenForReadResult ProbeOpenForRead(const WString& path) override;
    std::optional<WString> ReadRegistryString(RegistryRoot root, const WString& subKey,
                                              const WString& valueName) override;
    std::optional<WString> ModulePath() override;
    void DebugOutput(const WString& text) override;
    void ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                     uint32_t flags) override;

private:
    uint32_t CursorLine() const;

    WString packageFolder_;
    std::vector<InstallDir> installDirs_;
    const CTextLine* cursor_ = nullptr;
};
