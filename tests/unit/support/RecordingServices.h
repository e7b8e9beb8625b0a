#pragma once
// Test services: the platform's own file system and text conversion (natively or under Wine), a
// stand-in registry, and a record of what the user and the developer would have seen. Put in
// place with ScopedSystemOverride.
#include <map>
#include <optional>
#include <ostream>
#include <tuple>
#include <vector>

#include "platform/ForwardingServices.h"
#include "support/TempFolder.h"

class RecordingServices : public ForwardingServices {
public:
    RecordingServices() : ForwardingServices(NativeSystem()) {}
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
        return preset != probes.end() ? preset->second : base_.ProbeOpenForRead(p);
    }
    void DebugOutput(const WString& text) override { debugOutput.push_back(text); }
    void ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                     uint32_t flags) override {
        messages.push_back({owner, text, std::nullopt, flags});
        if (caption != nullptr) messages.back().caption = WString(caption);
    }

    bool IsDirectory(const WString& p) override {
        ++folderTouches;
        return base_.IsDirectory(p);
    }
    uint32_t MakeDirectory(const WString& p) override {
        ++folderTouches;
        return base_.MakeDirectory(p);
    }
};

// Readable failure output for a recorded message box.
inline void PrintTo(const RecordingServices::ShownMessage& m, std::ostream* out) {
    *out << "{owner " << m.owner << ", \"" << Narrow(m.text) << "\", caption "
         << (m.caption ? "\"" + Narrow(*m.caption) + "\"" : "system default") << ", flags 0x"
         << std::hex << m.flags << std::dec << "}";
}
