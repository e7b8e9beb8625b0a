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
    : ForwardingServices(base), packageFolder_(std::move(packageFolder)), installDirs_(std::move(installDirs)) {}

uint32_t CheckServices::CursorLine() const {
    return cursor_ != nullptr ? cursor_->LineIndex() + 1 : 0;
}

bool CheckServices::SetAttributes(const WString&, uint32_t) {
    return false;
}

bool CheckServices::MakeDirectory(const WString&) {
    return false;
}

uint32_t CheckServices::OpenFile(const WString& path, FileAccess access,
                                 std::unique_ptr<SystemFile>& file) {
    return access == FileAccess::Read ? base_.OpenFile(path, access, file) : kErrorAccessDenied;
}

uint32_t CheckServices::CopyToNewFile(const WString&, const WString&, CopyProgressFunction,
                                      void*) {
    return kErrorAccessDenied;
}

uint32_t CheckServices::ReplaceKeepingBackup(const WString&, const WString&, const WString&) {
    return kErrorAccessDenied;
}

uint32_t CheckServices::MoveToNewName(const WString&, const WString&) {
    return kErrorAccessDenied;
}

uint32_t CheckServices::RemoveFile(const WString&) {
    return kErrorAccessDenied;
}

void CheckServices::RemoveAtRestart(const WString&) {}

uint32_t CheckServices::OpenForAppend(const WString&, std::unique_ptr<SystemFile>&) {
    return kErrorAccessDenied;
}

OpenForReadResult CheckServices::ProbeOpenForRead(const WString& path) {
    probeLines.push_back(CursorLine());
    return base_.ProbeOpenForRead(path);
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

void CheckServices::ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                                uint32_t) {
    std::optional<WString> title;
    if (caption != nullptr) title = WString(caption);
    shown.push_back({CursorLine(), owner, text, title});
}
