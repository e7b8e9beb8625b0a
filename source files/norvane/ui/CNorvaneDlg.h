#pragma once
// The main dialog: prepares the copy list when it opens, starts the copy worker on Start, and
// on Exit opens "Report.txt" when a copy was started.
#include "app/AppState.h"
#include "framework/CDlgBase.h"
#include "platform/win32/UniqueResource.h"

// What the worker asks of the dialog's thread, sent so that it is done when the call returns:
// show the newest values of the copy now (before a message box), and end the run (the first
// parameter non-zero when every file was copied).
constexpr UINT kShowCopyDisplayMessage = WM_APP + 1;
constexpr UINT kRunEndedMessage = WM_APP + 2;

class CNorvaneDlg : public CDlgBase {
public:
    explicit CNorvaneDlg(AppState* state) : appState(state), jobState(state) {}
    ~CNorvaneDlg() override;

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM first, LPARAM second) noexcept override;

    // Waits until the worker, if one was started, has ended, then closes its handle.
    void WaitForWorker() noexcept;
    bool WorkerRunning() const noexcept;

    UniqueThread threadHandle;
    // One record under the dialog's two established names: appState where the preparation
    // reads the list and shows the files, jobState where the copy job runs.
    AppState* appState;
    AppState* jobState;

private:
    void OnInitDialog() noexcept;
    void OnStart() noexcept;
    void OnExit() noexcept;
    void OnClose() noexcept;
    void OnRunEnded(bool complete) noexcept;

    CopyDisplay::View shown_;  // what the dialog shows of the running copy
    bool started_ = false;     // Start has been taken
};
