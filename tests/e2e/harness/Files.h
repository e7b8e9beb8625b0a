#pragma once
// Files and folders of a case: the work folder under the prefix's temp folder, the package folder
// that stands for an update (the tool's copy, "Update.up", the sources), and files held open.
#include "UniqueHandle.h"

#include <optional>
#include <string>
#include <string_view>

// <temp>\norvane-e2e\<relative>\ , emptied (or created) for a new case; ends in a backslash.
std::wstring FreshWorkFolder(std::wstring_view relative);
// Deletes a folder and everything in it, read-only files included; absent is fine.
void RemoveTree(const std::wstring& folder);
// Removes <temp>\norvane-e2e\<relative>\ when nothing is left in it (no kept case folder).
void RemoveWorkFolderIfEmpty(std::wstring_view relative);

// Creates the folder and its missing parents.
void MakeFolders(const std::wstring& folder);
// Writes the bytes as the whole file, creating missing parent folders. Throws on failure.
void WriteBytes(const std::wstring& path, std::string_view bytes);
std::optional<std::string> ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Whether a file of this name can be made at all. Under Wine a name maps to a Unix file name in
// the Unix locale's character set; with a locale that is not installed that set is ASCII.
bool FileNameWorks(std::wstring_view name);
// Copies a file, overwriting. Throws on failure.
void CopyFileTo(const std::wstring& from, const std::wstring& to);

std::wstring FolderOf(const std::wstring& path);  // with its trailing backslash
std::wstring ModuleFolder();                         // the driver's folder, with a backslash
// Full Windows path of a path given on the driver's command line (a Unix path included).
std::wstring FullPath(const std::wstring& path);

// Keeps a file open for writing while sharing reading and writing, the way an editor or an
// unfinished download holds it: an open that grants only shared reading then fails.
class HeldOpenFile {
public:
    explicit HeldOpenFile(const std::wstring& path);
    bool IsHeld() const { return static_cast<bool>(file_); }

private:
    UniqueFile file_;
};
