#pragma once
#include <windows.h>

#include "app/AppState.h"

// On the dialog's thread: writes into the main dialog what changed in the copy's display since
// `shown` was taken (the folder, the file, the bytes with the bar and the percentage), and
// keeps `shown` up to date. Nothing is written when nothing changed.
void ShowCopyDisplay(HWND dialog, const AppState& state, CopyDisplay::View& shown) noexcept;
