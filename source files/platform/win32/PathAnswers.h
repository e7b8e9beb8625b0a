#pragma once
// The system's path answers that come in two calls (the room needed, then the path), written
// once: a path may be longer than MAX_PATH, and a path that grew between the calls is no answer.
#include <windows.h>

#include <optional>
#include <string>

// The full path GetFullPathNameW makes of `path`.
std::optional<std::wstring> FullPathOf(const wchar_t* path);

// The path of an open file or folder as GetFinalPathNameByHandleW gives it with `flags`.
std::optional<std::wstring> FinalPathOf(HANDLE handle, DWORD flags);
