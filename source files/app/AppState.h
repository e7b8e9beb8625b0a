#pragma once
// The one record of the process that start-up, both dialogs, the worker and the progress routine
// share. The main thread fills it before Start and the worker reads it after; only the display
// of the running copy is shared while the worker runs.
#include <cstdint>
#include <vector>

#include "base/PathLimits.h"
#include "base/WString.h"
#include "app/CopyDisplay.h"
#include "app/CopyEntry.h"
#include "app/CopyOutcome.h"

class CNorvaneDlg;
class CTextLine;
class CWaitDlg;

// Window, instance and thread handles are opaque here so the record stays free of <windows.h>.
using WindowHandle = void*;
using InstanceHandle = void*;

constexpr int kPathSlotCount = 5;

struct AppState {
    WindowHandle mainDialog = nullptr;
    WindowHandle waitDialog = nullptr;
    InstanceHandle instance = nullptr;
    WString rootFolder;
    int32_t entryCount = 0;
    uint64_t totalBytes = 0;
    std::vector<CopyEntry> CopyList;
    uint64_t copiedBytes = 0;
    uint64_t fileBytesSeen = 0;
    CNorvaneDlg* mainDialogObject = nullptr;
    CTextLine* textObject = nullptr;
    CWaitDlg* waitDialogObject = nullptr;
    WChar pathBase[kPathUnits] = {};
    WChar pathSlots[kPathSlotCount][kPathUnits] = {};
    // The one value that both threads touch during a run, behind its own lock.
    CopyDisplay display;
    // How each entry's copy ended, in list order, once the run is complete; written by the
    // worker, read after the run.
    std::vector<CopyOutcome> outcomes;
    RunSummary summary;
};

// The process's record; its clean-up runs at process exit.
extern AppState g_appState;
