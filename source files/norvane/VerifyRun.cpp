#include "norvane/VerifyRun.h"

#include <vector>

#include "reporting/Notice.h"
#include "norvane/FileMatch.h"
#include "norvane/RunReports.h"

namespace {
const WChar* MatchName(FileMatch match) {
    switch (match) {
        case FileMatch::Same: return u"in place";
        case FileMatch::Differs: return u"differs";
        case FileMatch::Missing: return u"missing";
    }
    return u"";
}
}  // namespace

bool VerifyInstallation(AppState& state) {
    RunLog& log = CurrentRun().log;
    std::vector<uint8_t> buffer;
    WString notInPlace;
    size_t notInPlaceCount = 0;
    for (const CopyEntry& entry : state.CopyList) {
        const WString source = entry.sourceFolder + entry.fileName;
        const WString destination = entry.destFolder + entry.fileName;
        const FileMatch match = MatchFiles(source, destination, buffer);
        if (log.IsOpen()) log.Write(u"verify " + destination + u": " + MatchName(match));
        if (match == FileMatch::Same) continue;
        ++notInPlaceCount;
        notInPlace += u"\r\n" + destination + u" (" + MatchName(match) + u")";
    }
    const WString count = DecimalText(static_cast<int64_t>(state.CopyList.size()));
    state.summary.verified = true;
    state.summary.notInPlace = notInPlaceCount;
    if (notInPlace.empty()) {
        Notice(state.mainDialog, u"The update is in place: all " + count + u" files match.",
               kToolCaption, kMbIconInformation, kExitSuccess);
        return true;
    }
    Notice(state.mainDialog,
           u"The update is not in place: " + DecimalText(static_cast<int64_t>(notInPlaceCount)) +
               u" of " + count + u" files differ or are missing:" + notInPlace,
           kToolCaption, kMbIconWarning, kExitNotInPlace);
    return false;
}
