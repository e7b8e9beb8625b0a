#pragma once
// What the copy reports while it copies a file: the bytes of the file copied so far. Accounts
// them for the run and records them for the display; it never waits for the dialog. `data` is
// the run's AppState.
#include <cstdint>

void CopyProgress(uint64_t totalBytesTransferred, void* data) noexcept;
