#pragma once
// The words of a copy run: its failure boxes, with what the undo did, the question about files
// in use and the notice of files replaced at the next restart.
#include <cstdint>
#include <vector>

#include "norvane/RunEvents.h"
#include "norvane/RunFile.h"
#include "paths/WindowsNames.h"

// A file the undo could not take back, and where its old copy is (empty: a new file that stays).
struct NotPutBack {
    WString destination;
    WString oldCopy;
};

extern const WChar kLeftAsItWasText[];  // "The installation was left as it was."
extern const WChar kToolCaption[];      // "Norvane": the caption of the tool's own boxes

// What the undo did, for the failure's box: the installation as it was, or the files not put back.
WString UndoText(const std::vector<NotPutBack>& notPutBack);

// "Copy failed." with the system's text for `code` and what the undo did.
RunMessage CopyFailedMessage(uint32_t code, const WString& undo);
// "Failed to make directory.", with the folder and the code for the debugger output.
RunMessage FolderFailedMessage(const WString& folder, uint32_t code);
// A link below INSTALLDIR, which the update does not write through.
RunMessage LinkMessage(const WString& link, const WString& undo);
// A listed name that Windows refuses: `why` as RefusedNameText tells it.
RunMessage NameRefusedMessage(const WString& why, const WString& undo);
// "The name "PRN.rpt" of the list cannot be written on Windows: ...", from the name rules' words.
WString RefusedNameText(const WString& fileName, const NameFault& fault);
RunMessage NoSpaceMessage(const WString& volume, uint64_t needed, uint64_t free);
// The files that programs hold, and which programs.
WString FilesInUseText(const std::vector<const RunFile*>& files);
RunMessage AtRestartMessage(const std::vector<const RunFile*>& files);
// One file's holders, as the question and the log name them.
WString HoldersText(const RunFile& file);
