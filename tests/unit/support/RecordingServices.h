#pragma once
// Test services: the platform's own file system and text conversion (natively or under Wine), a
// stand-in registry, and a record of what the user and the developer would have seen. Put in
// place with ScopedSystemOverride.
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/SystemServices.h"
#include "support/TempFolder.h"

class RecordingServices : public SystemServices {
public:
    struct ShownMessage {
        WindowHandle owner;
        WString text;
        std::optional<WString> caption;  // none: the system's default caption
        uint32_t flags;
        bool operator==(const ShownMessage& o) const {
            return std::tie(owner, text, caption, flags) ==
                   std::tie(o.owner, o.text, o.caption, o.flags);
        }
    };

    // Raw value data in UTF-16 units; a string value is its text and a zero unit.
    void SetRegistryData(RegistryRoot root, const WString& subKey, const WString& valueName,
                         const WString& units) {
        registry_[{root, subKey, valueName}] = units;
    }
    // Makes the open-for-reading probe of exactly this path give `result`.
    void SetProbeResult(const WString& path, const OpenForReadResult& result) {
        probeResults_[path] = result;
    }

    std::vector<ShownMessage> messages;
    std::vector<WString> debugOutput;

    int AnsiToWide(const char* b, int n, WChar* o, int c) override {
        return NativeSystem().AnsiToWide(b, n, o, c);
    }
    int WideToAnsi(const WChar* u, int n, char* o, int c) override {
        return NativeSystem().WideToAnsi(u, n, o, c);
    }
    uint32_t GetAttributes(const WString& p) override { return NativeSystem().GetAttributes(p); }
    bool SetAttributes(const WString& p, uint32_t a) override {
        return NativeSystem().SetAttributes(p, a);
    }
    bool IsDirectory(const WString& p) override { return NativeSystem().IsDirectory(p); }
    bool MakeDirectory(const WString& p) override { return NativeSystem().MakeDirectory(p); }
    OpenForReadResult ProbeOpenForRead(const WString& p) override {
        auto preset = probeResults_.find(p);
        return preset != probeResults_.end() ? preset->second : NativeSystem().ProbeOpenForRead(p);
    }
    std::optional<WString> FullPath(const WString& p) override { return NativeSystem().FullPath(p); }
    bool IsRelativePath(const WString& p) override { return NativeSystem().IsRelativePath(p); }
    int DriveNumber(const WString& p) override { return NativeSystem().DriveNumber(p); }
    void AppendPath(WChar* b, const WString& m) override { NativeSystem().AppendPath(b, m); }
    void AddBackslashInPlace(WChar* b) override { NativeSystem().AddBackslashInPlace(b); }
    void StripPath(WChar* b) override { NativeSystem().StripPath(b); }
    void RemoveExtension(WChar* b) override { NativeSystem().RemoveExtension(b); }
    void RemoveFileSpec(WChar* b) override { NativeSystem().RemoveFileSpec(b); }
    // Data over 260 units fails as a query into a buffer of 520 bytes does.
    std::optional<WString> ReadRegistryString(RegistryRoot root, const WString& subKey,
                                              const WString& valueName) override {
        auto found = registry_.find({root, subKey, valueName});
        if (found == registry_.end() || found->second.size() > 260) return std::nullopt;
        return found->second.substr(0, found->second.find(WChar(0)));
    }
    std::optional<WString> ModulePath() override { return NativeSystem().ModulePath(); }
    void DebugOutput(const WString& text) override { debugOutput.push_back(text); }
    uint32_t LastError() override { return NativeSystem().LastError(); }
    std::optional<WString> SystemErrorText(uint32_t code) override {
        return NativeSystem().SystemErrorText(code);
    }
    void ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                     uint32_t flags) override {
        std::optional<WString> title;
        if (caption != nullptr) title = WString(caption);
        messages.push_back({owner, text, title, flags});
    }

private:
    std::map<std::tuple<RegistryRoot, WString, WString>, WString> registry_;
    std::map<WString, OpenForReadResult> probeResults_;
};

// Readable failure output for a recorded message box.
inline void PrintTo(const RecordingServices::ShownMessage& m, std::ostream* out) {
    *out << "{owner " << m.owner << ", \"" << Narrow(m.text) << "\", caption "
         << (m.caption ? "\"" + Narrow(*m.caption) + "\"" : "system default") << ", flags 0x"
         << std::hex << m.flags << std::dec << "}";
}
