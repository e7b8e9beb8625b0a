#pragma once
#include "framework/CDlgBase.h"

struct AppState;

// The small modeless dialog shown while the copy list is prepared.
class CWaitDlg : public CDlgBase {
public:
    explicit CWaitDlg(AppState* state) : appState(state) {}

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM first, LPARAM second) noexcept override;

    AppState* appState;
};
