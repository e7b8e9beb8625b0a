#pragma once
// What the checker needs of the machine it runs on beyond the tool's own services: folders named
// on the command line in the Windows form the tool works with, and back; whole files; the
// registry the shipped tool reads; text out.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/WString.h"
#include "platform/SystemServices.h"

// The absolute Windows form of a folder named on the command line, without a trailing
// backslash; nullopt when there is no such folder. Off Windows the host's file system is seen as
// Wine sees it: "/" is the drive Z:.
std::optional<WString> WindowsFolder(const WString& hostFolder);

// A Windows-form path as the machine's user names it.
WString HostForm(const WString& windowsPath);

// A path as the machine's user names it, in the form the standard library's file system takes.
std::filesystem::path HostFilePath(const WString& hostPath);

// The whole file's bytes; nullopt when it is no regular file or cannot be read.
std::optional<std::string> ReadWholeFile(const WString& hostPath);

// The value as the shipped 32-bit tool reads it (its registry view); off Windows there is none.
std::optional<WString> ReadToolRegistry(RegistryRoot root, const WString& subKey,
                                        const WString& valueName);

// True where the machine has the registry that the tool reads; elsewhere only --installdir answers.
bool HostHasRegistry();

// The ANSI code page the tool would read the list in on this machine (or the one chosen for it).
int ToolCodePage();

// The names in a Windows-form folder; empty when it cannot be listed.
std::vector<WString> NamesIn(const WString& windowsFolder);

// Where file names are case-sensitive: the Windows-form path as it exists with other letter case,
// when it does not exist as written. Windows itself finds such a path: there, always nullopt.
std::optional<WString> CaseVariant(const WString& windowsPath);

// UTF-8 text to a standard stream.
void WriteText(std::FILE* stream, const WString& text);
