#include "check/CheckServices.h"

#include "check/CaseVariant.h"
#include "check/RegistryKeyRules.h"
#include "paths/InstallDir.h"
#include "paths/WindowsNames.h"
#include "text/CTextLine.h"

CheckServices::CheckServices(SystemServices& base, WString packageFolder,
                             std::vector<InstallDir> installDirs)
    : ForwardingServices(base),
      packageFolder_(std::move(packageFolder)),
      installDirs_(std::move(installDirs)) {}

uint32_t CheckServices::CursorLine() const {
    return cursor_ != nullptr ? cursor_->LineIndex() + 1 : 0;
}

// Names as Windows finds them, whatever their letter case; on a case-sensitive system each name
// found only so is recorded with the line the tool was reading.
uint32_t CheckServices::GetAttributes(const WString& asked) {
    const WString path = AsWindowsOpens(asked);
    const uint32_t attributes = base_.GetAttributes(path);
    if (attributes != kInvalidFileAttributes) return attributes;
    const std::optional<WString> variant = CaseVariant(base_, path);
    if (!variant) return attributes;
    if (CursorLine() != 0) caseMatches.push_back({CursorLine(), path, *variant});
    return base_.GetAttributes(*variant);
}

// Nothing is ever written: a dry run leaves the machine as it found it.
uint32_t CheckServices::SetAttributes(const WString&, uint32_t) {
    return kErrorAccessDenied;
}

bool CheckServices::IsDirectory(const WString& asked) {
    const WString path = AsWindowsOpens(asked);
    if (base_.IsDirectory(path)) return true;
    const std::optional<WString> variant = CaseVariant(base_, path);
    return variant && base_.IsDirectory(*variant);
}

uint32_t CheckServices::MakeDirectory(const WString&) {
    return kErrorAccessDenied;
}

uint32_t CheckServices::RemoveFolder(const WString&) {
    return kErrorAccessDenied;
}

OpenedFile CheckServices::OpenFile(const WString& path, FileAccess access) {
    if (access != FileAccess::Read) return {kErrorAccessDenied, nullptr};
    return base_.OpenFile(AsWindowsOpens(path), access);
}

OpenedFile CheckServices::CreateNewFile(const WString&) {
    return {kErrorAccessDenied, nullptr};
}

Answer<FileFacts> CheckServices::QueryFile(const WString& path) {
    return base_.QueryFile(AsWindowsOpens(path));
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

uint32_t CheckServices::RemoveAtRestart(const WString&) {
    return kErrorAccessDenied;
}

uint32_t CheckServices::ReplaceAtRestart(const WString&, const WString&) {
    return kErrorAccessDenied;
}

OpenedFile CheckServices::OpenForAppend(const WString&) {
    return {kErrorAccessDenied, nullptr};
}

OpenForReadResult CheckServices::ProbeOpenForRead(const WString& asked) {
    const WString path = AsWindowsOpens(asked);
    probeLines.push_back(CursorLine());
    // A check keeps no source open: nothing copies from it.
    OpenForReadResult probe = base_.ProbeOpenForRead(path);
    if (!probe.opened) {
        const std::optional<WString> variant = CaseVariant(base_, path);
        if (variant) probe = base_.ProbeOpenForRead(*variant);
    }
    probe.file.reset();
    return probe;
}

std::optional<WString> CheckServices::ReadRegistryString(RegistryRoot root, const WString& subKey,
                                                         const WString& valueName) {
    std::optional<WString> value;
    bool answered = false;
    for (const InstallDir& installDir : installDirs_) {
        if (valueName == kInstallDirValueName && SameRegistryKey(installDir.key, subKey)) {
            value = installDir.folder;
            answered = true;
        }
    }
    if (!answered) value = base_.ReadRegistryString(root, subKey, valueName);
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
