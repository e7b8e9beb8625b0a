#include "platform/ForwardingServices.h"

int ForwardingServices::AnsiToWide(const char* bytes, int byteCount, WChar* out, int capacity) {
    return base_.AnsiToWide(bytes, byteCount, out, capacity);
}
int ForwardingServices::WideToAnsi(const WChar* units, int unitCount, char* out, int capacity) {
    return base_.WideToAnsi(units, unitCount, out, capacity);
}
uint32_t ForwardingServices::GetAttributes(const WString& path) {
    return base_.GetAttributes(path);
}
uint32_t ForwardingServices::SetAttributes(const WString& path, uint32_t attributes) {
    return base_.SetAttributes(path, attributes);
}
bool ForwardingServices::IsDirectory(const WString& path) {
    return base_.IsDirectory(path);
}
uint32_t ForwardingServices::MakeDirectory(const WString& path) {
    return base_.MakeDirectory(path);
}
uint32_t ForwardingServices::RemoveFolder(const WString& path) {
    return base_.RemoveFolder(path);
}
OpenForReadResult ForwardingServices::ProbeOpenForRead(const WString& path) {
    return base_.ProbeOpenForRead(path);
}
Answer<std::vector<FileFacts>> ForwardingServices::ListFolder(const WString& folder) {
    return base_.ListFolder(folder);
}
Answer<FileFacts> ForwardingServices::QueryFile(const WString& path) {
    return base_.QueryFile(path);
}
OpenedFile ForwardingServices::OpenFile(const WString& path, FileAccess access) {
    return base_.OpenFile(path, access);
}
OpenedFile ForwardingServices::CreateNewFile(const WString& path) {
    return base_.CreateNewFile(path);
}
uint32_t ForwardingServices::ReplaceKeepingBackup(const WString& replaced,
                                                  const WString& replacement,
                                                  const WString& backup) {
    return base_.ReplaceKeepingBackup(replaced, replacement, backup);
}
uint32_t ForwardingServices::MoveToNewName(const WString& from, const WString& to) {
    return base_.MoveToNewName(from, to);
}
uint32_t ForwardingServices::RemoveFile(const WString& path) {
    return base_.RemoveFile(path);
}
uint32_t ForwardingServices::RemoveAtRestart(const WString& path) {
    return base_.RemoveAtRestart(path);
}
uint32_t ForwardingServices::ReplaceAtRestart(const WString& from, const WString& to) {
    return base_.ReplaceAtRestart(from, to);
}
Answer<VolumeSpace> ForwardingServices::FreeSpace(const WString& path) {
    return base_.FreeSpace(path);
}
Answer<std::vector<FileHolder>> ForwardingServices::WhoHolds(const WString& path) {
    return base_.WhoHolds(path);
}
WString ForwardingServices::FoldCase(const WString& text) {
    return base_.FoldCase(text);
}
OpenedFile ForwardingServices::OpenForAppend(const WString& path) {
    return base_.OpenForAppend(path);
}
WString ForwardingServices::LocalTimeText() {
    return base_.LocalTimeText();
}
uint64_t ForwardingServices::Milliseconds() {
    return base_.Milliseconds();
}
void ForwardingServices::Pause(uint32_t milliseconds) {
    base_.Pause(milliseconds);
}
std::optional<WString> ForwardingServices::FullPath(const WString& path) {
    return base_.FullPath(path);
}
bool ForwardingServices::IsRelativePath(const WString& path) {
    return base_.IsRelativePath(path);
}
int ForwardingServices::DriveNumber(const WString& path) {
    return base_.DriveNumber(path);
}
void ForwardingServices::AppendPath(WChar* buffer, const WString& more) {
    base_.AppendPath(buffer, more);
}
void ForwardingServices::AddBackslashInPlace(WChar* buffer) {
    base_.AddBackslashInPlace(buffer);
}
void ForwardingServices::StripPath(WChar* buffer) {
    base_.StripPath(buffer);
}
void ForwardingServices::RemoveExtension(WChar* buffer) {
    base_.RemoveExtension(buffer);
}
void ForwardingServices::RemoveFileSpec(WChar* buffer) {
    base_.RemoveFileSpec(buffer);
}
std::optional<WString> ForwardingServices::ReadRegistryString(RegistryRoot root,
                                                              const WString& subKey,
                                                              const WString& valueName) {
    return base_.ReadRegistryString(root, subKey, valueName);
}
RunIdentity ForwardingServices::Identity() {
    return base_.Identity();
}
std::optional<WString> ForwardingServices::ModulePath() {
    return base_.ModulePath();
}
void ForwardingServices::DebugOutput(const WString& text) {
    base_.DebugOutput(text);
}
std::optional<WString> ForwardingServices::SystemErrorText(uint32_t code) {
    return base_.SystemErrorText(code);
}
void ForwardingServices::ShowMessage(WindowHandle owner, const WString& text, const WChar* caption,
                                     uint32_t flags) {
    base_.ShowMessage(owner, text, caption, flags);
}

Answer<WString> ForwardingServices::WindowsFolder(const WString& hostFolder) {
    return base_.WindowsFolder(hostFolder);
}

WString ForwardingServices::HostForm(const WString& windowsPath) {
    return base_.HostForm(windowsPath);
}

int ForwardingServices::AnsiCodePage() {
    return base_.AnsiCodePage();
}

bool ForwardingServices::HasRegistry() {
    return base_.HasRegistry();
}

void ForwardingServices::WriteStandard(StandardStream stream, const WString& text) {
    base_.WriteStandard(stream, text);
}
