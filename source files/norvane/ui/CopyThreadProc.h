#pragma once
#include <windows.h>

// The copy worker: copies every entry of the copy list in order, showing its progress in the
// main dialog, and stops at the first failure. The parameter is the shared AppState.
DWORD WINAPI CopyThreadProc(LPVOID parameter) noexcept;
