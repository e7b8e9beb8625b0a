#pragma once
// What the checker needs of the machine it runs on beyond the tool's own services: folders named
// on the command line in the Windows form the tool works with, and back; whole files; the
// registry the shipped tool reads; text out.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "app/WString.h"
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

// UTF-8 text to a standard stream.
void WriteText(std::FILE* stream, const WString& text);
