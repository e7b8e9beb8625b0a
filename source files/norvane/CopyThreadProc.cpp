#include "norvane/CopyThreadProc.h"

#include <unordered_set>
#include <vector>

#include "app/AppState.h"
#include "app/Notice.h"
#include "framework/Diagnostics.h"
#include "norvane/CNorvaneDlg.h"
#include "norvane/CopyProgress.h"
#include "norvane/DestinationFolder.h"
#include "norvane/DisplayName.h"
#include "norvane/ProgressAccounting.h"
#include "norvane/RunLogLines.h"
#include "norvane/SafeCopy.h"
#include "paths/MakeFolderTree.h"
#include "paths/PathServices.h"
#include "platform/SystemServices.h"

namespace {
const WString kSource = u"source files\\norvane\\norvane";
constexpr int kCopyFailedLine = 407;

// The folder the destination goes into: the whole path with its last component removed.
WString FolderOf(const WString& path) {
    std::vector<WChar> buffer(path.begin(), path.end());
    buffer.push_back(u'\0');
    System().RemoveFileSpec(buffer.data());
    return WString(buffer.data());
}

// Where a failure had to leave a file beside its empty destination, the box says where it is.
WString CopyFailedText(const CopyOutcome& outcome) {
    if (outcome.keptAs.empty()) return u"Copy failed.";
    return u"Copy failed.\r\nThe file is kept as " + outcome.keptAs;
}

class CopyRun {
public:
    explicit CopyRun(AppState& state)
        : state_(state),
          dialog_(static_cast<HWND>(state.mainDialog)),
          copier_(CopyProgress, &state) {
        for (const CopyEntry& entry : state.CopyList)
            destinations_.Add(entry.destFolder + entry.fileName);
    }

    // Copies one entry; false when the run has to stop (the user has been told why).
    bool Copy(const CopyEntry& entry) {
        const WString source = entry.sourceFolder + entry.fileName;
        const WString destination = entry.destFolder + entry.fileName;
        state_.fileBytesSeen = 0;
        state_.display.ShowEntry(entry.destFolder, DisplayName(entry.fileName));

        // No copy can write a path of that length: refused before any folder is made for it.
        if (destination.size() >= static_cast<size_t>(kPathUnits)) {
            return StopCopyFailed({CopyResult::Failed, kErrorFilenameExcedRange, WString()});
        }
        // Entries of one folder come together: the folders are made, and the folder is read,
        // once for all of them.
        const WString folder = FolderOf(destination);
        if (folder != madeFolder_) {
            if (!MakeFolderTree(folder)) {
                ShowDisplayNow();
                Notice(dialog_, u"Failed to make directory.", u"File transfer error", MB_OK);
                return false;
            }
            madeFolder_ = folder;
            WString path = folder;
            AddBackslash(path);
            destinationFolder_.Enter(path, destinations_, swept_.insert(path).second);
        }
        const WString name = destination.substr(destinationFolder_.Path().size());
        const CopyOutcome outcome =
            copier_.Copy({source, entry.size, entry.sourceAttributes}, destinationFolder_, name);
        state_.outcomes.push_back(outcome);
        if (CurrentRun().log.IsOpen()) CurrentRun().log.Write(FileLogLine(entry, outcome));
        if (outcome.result == CopyResult::Failed) return StopCopyFailed(outcome);
        // Where the system reported no progress (or not all of it), the file still counts whole.
        AccountFileCompleted(state_, entry.size);
        return true;
    }

    void End(bool complete) { ::SendMessageW(dialog_, kRunEndedMessage, complete ? 1 : 0, 0); }

private:
    // The values a message box is read against are on the screen before it.
    void ShowDisplayNow() { ::SendMessageW(dialog_, kShowCopyDisplayMessage, 0, 0); }

    // The copy failure's report, with the system's text for the code; the run stops.
    bool StopCopyFailed(const CopyOutcome& outcome) {
        ShowDisplayNow();
        ReportSystemErrorCode(kCopyFailedLine, kSource, CopyFailedText(outcome), outcome.error);
        return false;
    }

    AppState& state_;
    HWND dialog_;
    SafeCopier copier_;
    RunDestinations destinations_;
    DestinationFolder destinationFolder_;
    std::unordered_set<WString> swept_;
    WString madeFolder_;
};
}  // namespace

DWORD WINAPI CopyThreadProc(LPVOID parameter) noexcept {
    auto& state = *static_cast<AppState*>(parameter);
    CopyRun run(state);
    bool complete = true;
    for (int32_t i = 0; i < state.entryCount && complete; ++i) {
        complete = run.Copy(state.CopyList[static_cast<size_t>(i)]);
    }
    run.End(complete);
    // Returning, rather than ExitThread, releases the strings of the run.
    return 0;
}
