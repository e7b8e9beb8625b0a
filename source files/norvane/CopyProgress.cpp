#include "norvane/CopyProgress.h"

#include "app/AppState.h"
#include "norvane/ProgressAccounting.h"

DWORD CALLBACK CopyProgress(LARGE_INTEGER, LARGE_INTEGER totalBytesTransferred, LARGE_INTEGER,
                            LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID data) noexcept {
    AccountProgress(*static_cast<AppState*>(data),
                    static_cast<uint64_t>(totalBytesTransferred.QuadPart));
    return PROGRESS_CONTINUE;
}
