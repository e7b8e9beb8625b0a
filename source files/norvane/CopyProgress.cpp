#include "norvane/CopyProgress.h"

#include "app/AppState.h"
#include "norvane/ProgressAccounting.h"

void CopyProgress(uint64_t totalBytesTransferred, void* data) noexcept {
    AccountProgress(*static_cast<AppState*>(data), totalBytesTransferred);
}
