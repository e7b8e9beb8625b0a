#include "support/RecordingServices.h"

#include "support/TempFolder.h"

namespace {
// The registry query's buffer: 260 UTF-16 units.
constexpr size_t kRegistryBufferUnits = 260;

WString Folded(const WString& text) {
    WString folded = text;
    for (WChar& unit : folded) {
        if (unit >= u'a' && unit <= u'z') unit = static_cast<WChar>(unit - u'a' + u'A');
    }
    return folded;
}

const char* RootName(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? "HKCU" : "HKLM";
}
}  // namespace

bool RecordingServices::ShownMessage::operator==(const ShownMessage& other) const {
    return owner == other.owner && text == other.text && caption == other.caption &&
           flags == other.flags;
}

bool RecordingServices::RegistryRead::operator==(const RegistryRead& other) const {
    return root == other.root && subKey == other.subKey && valueName == other.valueName;
}

void RecordingServices::SetRegistryString(RegistryRoot root, const WString& subKey,
                                          const WString& valueName, const WString& text) {
    SetRegistryData(root, subKey, valueName, text + WChar(0));
}

void RecordingServices::SetRegistryData(RegistryRoot root, const WString& subKey,
                                        const WString& valueName, const WString& units) {
    registry_[RegistryKey(root, Folded(subKey), Folded(valueName))] = units;
}

void RecordingServices::SetProbeResult(const WString& path, const OpenForReadResult& result) {
    probeResults_[path] = result;
}

int RecordingServices::AnsiToWide(const char* bytes, int byteCount, WChar* out, int capacity) {
    return NativeSystem().AnsiToWide(bytes, byteCount, out, capacity);
}

int RecordingServices::WideToAnsi(const WChar* units, int unitCount, char* out, int capacity) {
    return NativeSystem().WideToAnsi(units, unitCount, out, capacity);
}

uint32_t RecordingServices::GetAttributes(const WString& path) {
    return NativeSystem().GetAttributes(path);
}

bool RecordingServices::SetAttributes(const WString& path, uint32_t attributes) {
    return NativeSystem().SetAttributes(path, attributes);
}

bool RecordingServices::IsDirectory(const WString& path) {
    return NativeSystem().IsDirectory(path);
}

bool RecordingServices::MakeDirectory(const WString& path) {
    return NativeSystem().MakeDirectory(path);
}

OpenForReadResult RecordingServices::ProbeOpenForRead(const WString& path) {
    auto preset = probeResults_.find(path);
    OpenForReadResult result =
        preset != probeResults_.end() ? preset->second : NativeSystem().ProbeOpenForRead(path);
    probes.push_back({path, result});
    return result;
}

bool RecordingServices::IsRelativePath(const WString& path) {
    return NativeSystem().IsRelativePath(path);
}

int RecordingServices::DriveNumber(const WString& path) {
    return NativeSystem().DriveNumber(path);
}

void RecordingServices::AppendPath(WChar* buffer, const WString& more) {
    NativeSystem().AppendPath(buffer, more);
}

void RecordingServices::AddBackslashInPlace(WChar* buffer) {
    NativeSystem().AddBackslashInPlace(buffer);
}

void RecordingServices::StripPath(WChar* buffer) {
    NativeSystem().StripPath(buffer);
}

void RecordingServices::RemoveExtension(WChar* buffer) {
    NativeSystem().RemoveExtension(buffer);
}

void RecordingServices::RemoveFileSpec(WChar* buffer) {
    NativeSystem().RemoveFileSpec(buffer);
}

std::optional<WString> RecordingServices::ReadRegistryString(RegistryRoot root,
                                                             const WString& subKey,
                                                             const WString& valueName) {
    registryReads.push_back({root, subKey, valueName});
    auto found = registry_.find(RegistryKey(root, Folded(subKey), Folded(valueName)));
    if (found == registry_.end() || found->second.size() > kRegistryBufferUnits) {
        return std::nullopt;
    }
    const WString& data = found->second;
    return data.substr(0, data.find(WChar(0)));
}

std::optional<WString> RecordingServices::ModulePath() {
    return NativeSystem().ModulePath();
}

void RecordingServices::DebugOutput(const WString& text) {
    debugOutput.push_back(text);
}

uint32_t RecordingServices::LastError() {
    return NativeSystem().LastError();
}

std::optional<WString> RecordingServices::SystemErrorText(uint32_t code) {
    return NativeSystem().SystemErrorText(code);
}

void RecordingServices::ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                                    uint32_t flags) {
    std::optional<WString> title;
    if (caption != nullptr) title = WString(caption);
    messages.push_back({owner, text, title, flags});
}

void PrintTo(const RecordingServices::ShownMessage& message, std::ostream* out) {
    *out << "{owner " << message.owner << ", \"" << Narrow(message.text) << "\", caption "
         << (message.caption ? "\"" + Narrow(*message.caption) + "\"" : "system default")
         << ", flags 0x" << std::hex << message.flags << std::dec << "}";
}

void PrintTo(const RecordingServices::RegistryRead& read, std::ostream* out) {
    *out << RootName(read.root) << "\\" << Narrow(read.subKey) << " " << Narrow(read.valueName);
}
