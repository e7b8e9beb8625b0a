#pragma once
// Test services that use the real file system of the platform the tests run on (natively or
// under Wine) but keep the registry in a stand-in and record what the user would have seen, so
// the same test reads the same everywhere. Put in place with ScopedSystemOverride.
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/SystemServices.h"

class RecordingServices : public SystemServices {
public:
    struct ShownMessage {
        WindowHandle owner;
        WString text;
        std::optional<WString> caption;  // none: the system's default caption
        uint32_t flags;
        bool operator==(const ShownMessage& other) const;
    };
    struct RegistryRead {
        RegistryRoot root;
        WString subKey;
        WString valueName;
        bool operator==(const RegistryRead& other) const;
    };
    struct Probe {
        WString path;
        OpenForReadResult result;
    };

    // A string value as the system stores one: the text and its terminating zero unit.
    void SetRegistryString(RegistryRoot root, const WString& subKey, const WString& valueName,
                           const WString& text);
    // Raw value data as UTF-16 units, for data without a terminator or with several strings.
    void SetRegistryData(RegistryRoot root, const WString& subKey, const WString& valueName,
                         const WString& units);
    // Makes the open-for-reading probe of exactly this path give `result` instead of the file
    // system's answer (for sizes and failures that real files cannot easily give).
    void SetProbeResult(const WString& path, const OpenForReadResult& result);

    std::vector<ShownMessage> messages;
    std::vector<WString> debugOutput;
    std::vector<RegistryRead> registryReads;
    std::vector<Probe> probes;

    int AnsiToWide(const char* bytes, int byteCount, WChar* out, int capacity) override;
    int WideToAnsi(const WChar* units, int unitCount, char* out, int capacity) override;
    uint32_t GetAttributes(const WString& path) override;
    bool SetAttributes(const WString& path, uint32_t attributes) override;
    bool IsDirectory(const WString& path) override;
    bool MakeDirectory(const WString& path) override;
    OpenForReadResult ProbeOpenForRead(const WString& path) override;
    bool IsRelativePath(const WString& path) override;
    int DriveNumber(const WString& path) override;
    void AppendPath(WChar* buffer, const WString& more) override;
    void AddBackslashInPlace(WChar* buffer) override;
    void StripPath(WChar* buffer) override;
    void RemoveExtension(WChar* buffer) override;
    void RemoveFileSpec(WChar* buffer) override;
    // Keys and value names compare without regard to ASCII case, as the registry's do. Data over
    // 520 bytes fails as a query into a buffer of 260 units does.
    std::optional<WString> ReadRegistryString(RegistryRoot root, const WString& subKey,
                                              const WString& valueName) override;
    std::optional<WString> ModulePath() override;
    void DebugOutput(const WString& text) override;
    uint32_t LastError() override;
    std::optional<WString> SystemErrorText(uint32_t code) override;
    void ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                     uint32_t flags) override;

private:
    using RegistryKey = std::tuple<RegistryRoot, WString, WString>;
    std::map<RegistryKey, WString> registry_;
    std::map<WString, OpenForReadResult> probeResults_;
};

// Readable failure output for the recorded values.
void PrintTo(const RecordingServices::ShownMessage& message, std::ostream* out);
void PrintTo(const RecordingServices::RegistryRead& read, std::ostream* out);
