#include "norvane/ui/CopyThreadProc.h"

#include "app/AppState.h"
#include "norvane/CopyRun.h"
#include "norvane/ui/DialogRunEvents.h"

DWORD WINAPI CopyThreadProc(LPVOID parameter) noexcept {
    auto& state = *static_cast<AppState*>(parameter);
    DialogRunEvents events(static_cast<HWND>(state.mainDialog));
    CopyRun(state, events).Run();
    // Returning, rather than ExitThread, releases the strings of the run.
    return 0;
}
