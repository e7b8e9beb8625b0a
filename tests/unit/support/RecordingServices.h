#pragma once
// Test services: the platform's own file system and text conversion (natively or under Wine), a
// stand-in registry, and a record of what the user and the developer would have seen. Put in
// place with ScopedSystemOverride.
#include <map>
#include <optional>
#include <ostream>
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
    std::vector<ShownMessage> messages;
    std::vector<WString> debugOutput;
    // Raw value data in UTF-16 units; a string value is its text and a zero unit.
    std::map<std::tuple<RegistryRoot, WString, WString>, WString> registry;
    // What the open-for-reading probe of exactly these paths gives.
    std::map<WString, OpenForReadResult> probes;
    int folderTouches = 0;  // folder tests and creations, which go to the disk

    // Data over 260 units fails as a query into a buffer of 520 bytes does.
    std::optional<WString> ReadRegistryString(RegistryRoot root, const WString& subKey,
                                              const WString& valueName) override {
        auto found = registry.find({root, subKey, valueName});
        if (found == registry.end() || found->second.size() > 260) return std::nullopt;
        return found->second.substr(0, found->second.find(WChar(0)));
    }
    OpenForReadResult ProbeOpenForRead(const WString& p) override {
        auto preset = probes.find(p);
        return preset != probes.end() ? preset->second : NativeSystem().ProbeOpenForRead(p);
    }
    void DebugOutput(const WString& text) override { debugOutput.push_back(text); }
    void ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                     uint32_t flags) override {
        messages.push_back({owner, text, std::nullopt, flags});
        if (caption != nullptr) messages.back().caption = WString(caption);
    }

    // The rest is the platform's own.
    static SystemServices& Os() { return NativeSystem(); }
    int AnsiToWide(const char* a, int n, WChar* w, int c) override {
        return Os().AnsiToWide(a, n, w, c);
    }
    int WideToAnsi(const WChar* w, int n, char* a, int c) override {
        return Os().WideToAnsi(w, n, a, c);
    }
    uint32_t GetAttributes(const WString& p) override { return Os().GetAttributes(p); }
    bool SetAttributes(const WString& p, uint32_t a) override { return Os().SetAttributes(p, a); }
    bool IsDirectory(const WString& p) override { ++folderTouches; return Os().IsDirectory(p); }
    bool MakeDirectory(const WString& p) override { ++folderTouches; return Os().MakeDirectory(p); }
    std::optional<WString> FullPath(const WString& p) override { return Os().FullPath(p); }
    bool IsRelativePath(const WString& p) override { return Os().IsRelativePath(p); }
    int DriveNumber(const WString& p) override { return Os().DriveNumber(p); }
    void AppendPath(WChar* b, const WString& m) override { Os().AppendPath(b, m); }
    void AddBackslashInPlace(WChar* b) override { Os().AddBackslashInPlace(b); }
    void StripPath(WChar* b) override { Os().StripPath(b); }
    void RemoveExtension(WChar* b) override { Os().RemoveExtension(b); }
    void RemoveFileSpec(WChar* b) override { Os().RemoveFileSpec(b); }
    std::optional<WString> ModulePath() override { return Os().ModulePath(); }
    uint32_t LastError() override { return Os().LastError(); }
    std::optional<WString> SystemErrorText(uint32_t c) override { return Os().SystemErrorText(c); }
};

// Readable failure output for a recorded message box.
inline void PrintTo(const RecordingServices::ShownMessage& m, std::ostream* out) {
    *out << "{owner " << m.owner << ", \"" << Narrow(m.text) << "\", caption "
         << (m.caption ? "\"" + Narrow(*m.caption) + "\"" : "system default") << ", flags 0x"
         << std::hex << m.flags << std::dec << "}";
}
