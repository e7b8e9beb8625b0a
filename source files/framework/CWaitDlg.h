#pragma once
#include "app/AppState.h"
#include "framework/CDlgBase.h"

// The small modeless dialog shown while the copy list is prepared.
class CWaitDlg : public CDlgBase {
public:
    explicit CWaitDlg(AppState* state) : appState(state) {}

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM first, LPARAM second) noexcept override;

    AppState* appState;
};
