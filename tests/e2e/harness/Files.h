#pragma once
// Files and folders of a case: the work folder under the prefix's temp folder and what lies in it.
#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/UniqueResource.h"

// The driver's handles have one owner each, as the tool's own do.
using UniqueHandle = UniqueResource<NullHandleTraits>;

// <temp>\norvane-e2e\<relative>\ , emptied (or created) for a new case; ends in a backslash.
std::wstring FreshWorkFolder(std::wstring_view relative);
// Removes <temp>\norvane-e2e\<relative>\ when nothing is left in it (no kept case folder).
void RemoveWorkFolderIfEmpty(std::wstring_view relative);
// Deletes a folder and everything in it, read-only files included; absent is fine.
void RemoveTree(const std::wstring& folder);
// Creates the folder and its missing parents. Throws on failure.
void MakeFolders(const std::wstring& folder);
// Writes the bytes as the whole file, creating missing parent folders. Throws on failure.
void WriteBytes(const std::wstring& path, std::string_view bytes);
std::optional<std::string> ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);  // a file or a folder
// The files below a folder (ending in a backslash) as relative paths, one per line.
std::wstring FilesIn(const std::wstring& folder, const std::wstring& prefix = L"");
// Whether a file of this name can be made at all. Under Wine a name maps to a Unix file name in
// the Unix locale's character set; with a locale that is not installed that set is ASCII.
bool FileNameWorks(std::wstring_view name);

std::wstring FolderOf(const std::wstring& path);  // with its trailing backslash
std::wstring ModuleFolder();                      // the driver's folder, with a backslash
// Full Windows path of a path given on the driver's command line (a Unix path included).
std::wstring FullPath(const std::wstring& path);
