#pragma once
#include <windows.h>

// The one procedure of every dialog (and of a window created with its object as creation
// data): binds the window to its object and hands each message to the object's handler.
INT_PTR CALLBACK BaseWndProc(HWND window, UINT message, WPARAM first, LPARAM second) noexcept;
