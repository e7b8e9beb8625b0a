#include "check/CheckServices.h"

#include "check/CheckHost.h"
#include "text/CTextLine.h"

namespace {
// Registry key names compare without regard to case.
bool SameKey(const WString& a, const WString& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](WChar unit) {
            return unit >= u'a' && unit <= u'z' ? static_cast<WChar>(unit - u'a' + u'A') : unit;
        };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}
}  // namespace

CheckServices::CheckServices(SystemServices& base, WString packageFolder,
                             std::vector<InstallDir> installDirs)
    : base_(base), packageFolder_(std::move(packageFolder)), installDirs_(std::move(installDirs)) {}

uint32_t CheckServices::CursorLine() const {
    return cursor_ != nullptr ? cursor_->LineIndex() + 1 : 0;
}

int CheckServices::AnsiToWide(const char* bytes, int byteCount, WChar* out, int capacity) {
    return base_.AnsiToWide(bytes, byteCount, out, capacity);
}

int CheckServices::WideToAnsi(const WChar* units, int unitCount, char* out, int capacity) {
    return base_.WideToAnsi(units, unitCount, out, capacity);
}

uint32_t CheckServices::GetAttributes(const WString& path) {
    return base_.GetAttributes(path);
}

// Nothing is ever written: a dry run leaves the machine as it found it.
bool CheckServices::SetAttributes(const WString&, uint32_t) {
    return false;
}

bool CheckServices::IsDirectory(const WString& path) {
    return base_.IsDirectory(path);
}

bool CheckServices::MakeDirectory(const WString&) {
    return false;
}

OpenForReadResult CheckServices::ProbeOpenForRead(const WString& path) {
    probeLines.push_back(CursorLine());
    return base_.ProbeOpenForRead(path);
}

std::optional<WString> CheckServices::FullPath(const WString& path) {
    return base_.FullPath(path);
}

bool CheckServices::IsRelativePath(const WString& path) {
    return base_.IsRelativePath(path);
}

int CheckServices::DriveNumber(const WString& path) {
    return base_.DriveNumber(path);
}

void CheckServices::AppendPath(WChar* buffer, const WString& more) {
    base_.AppendPath(buffer, more);
}

void CheckServices::AddBackslashInPlace(WChar* buffer) {
    base_.AddBackslashInPlace(buffer);
}

void CheckServices::StripPath(WChar* buffer) {
    base_.StripPath(buffer);
}

void CheckServices::RemoveExtension(WChar* buffer) {
    base_.RemoveExtension(buffer);
}

void CheckServices::RemoveFileSpec(WChar* buffer) {
    base_.RemoveFileSpec(buffer);
}

std::optional<WString> CheckServices::ReadRegistryString(RegistryRoot root, const WString& subKey,
                                                         const WString& valueName) {
    std::optional<WString> value;
    bool answered = false;
    for (const InstallDir& installDir : installDirs_) {
        if (valueName == u"INSTALLDIR" && SameKey(installDir.key, subKey)) {
            value = installDir.folder;
            answered = true;
        }
    }
    if (!answered) value = ReadToolRegistry(root, subKey, valueName);
    lookups.push_back({CursorLine(), root, subKey, value, answered});
    return value;
}

// The tool's folder is the package folder, as if the tool lay there.
std::optional<WString> CheckServices::ModulePath() {
    return packageFolder_ + u"\\Norvane.exe";
}

void CheckServices::DebugOutput(const WString&) {}

uint32_t CheckServices::LastError() {
    return base_.LastError();
}

std::optional<WString> CheckServices::SystemErrorText(uint32_t code) {
    return base_.SystemErrorText(code);
}

void CheckServices::ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                                uint32_t) {
    std::optional<WString> title;
    if (caption != nullptr) title = WString(caption);
    shown.push_back({CursorLine(), owner, text, title});
}
