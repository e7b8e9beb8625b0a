#pragma once
#include <windows.h>

#include "norvane/ProgressAccounting.h"

// The copy routine's progress callback: accounts the bytes and shows them in the main dialog.
DWORD CALLBACK CopyProgress(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                            LARGE_INTEGER streamSize, LARGE_INTEGER streamBytesTransferred,
                            DWORD streamNumber, DWORD callbackReason, HANDLE sourceFile,
                            HANDLE destinationFile, LPVOID data) noexcept;

// Writes the running count, the bar and the percentage into the main dialog.
void ShowProgress(HWND mainDialog, const ProgressView& view) noexcept;
