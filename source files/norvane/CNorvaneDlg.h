#pragma once
// The main dialog: prepares the copy list when it opens, starts the copy worker on Start, and
// on Exit opens "Report.txt" when a copy was started.
#include "app/AppState.h"
#include "framework/CDlgBase.h"
#include "platform/win32/UniqueResource.h"

class CNorvaneDlg : public CDlgBase {
public:
    explicit CNorvaneDlg(AppState* state) : appState(state), jobState(state) {}
    ~CNorvaneDlg() override;

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM first, LPARAM second) noexcept override;

    // Waits until the worker, if one was started, has ended, then closes its handle.
    void WaitForWorker() noexcept;
    bool WorkerRunning() const noexcept;

    UniqueThread threadHandle;
    AppState* appState;
    AppState* jobState;

private:
    void OnInitDialog() noexcept;
    void OnStart() noexcept;
    void OnExit() noexcept;
    void OnClose() noexcept;
};
