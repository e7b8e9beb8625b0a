#pragma once
#include <windows.h>

// The copy routine's progress callback: accounts the bytes for the run and records them for the
// display; it never waits for the dialog.
DWORD CALLBACK CopyProgress(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                            LARGE_INTEGER streamSize, LARGE_INTEGER streamBytesTransferred,
                            DWORD streamNumber, DWORD callbackReason, HANDLE sourceFile,
                            HANDLE destinationFile, LPVOID data) noexcept;
