#include "norvane/VerifyRun.h"

#include <vector>

#include "reporting/Notice.h"
#include "norvane/FileMatch.h"

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
    size_t missing = 0, differing = 0;
    for (const CopyEntry& entry : state.CopyList) {
        const WString source = entry.sourceFolder + entry.fileName;
        const WString destination = entry.destFolder + entry.fileName;
        const FileMatch match = MatchFiles(source, destination, buffer);
        if (log.IsOpen()) log.Write(u"verify " + destination + u": " + MatchName(match));
        if (match == FileMatch::Same) continue;
        (match == FileMatch::Missing ? missing : differing) += 1;
        notInPlace += u"\r\n" + destination + u" (" + MatchName(match) + u")";
    }
    const WString count = DecimalText(static_cast<int64_t>(state.CopyList.size()));
    state.summary.verified = true;
    state.summary.notInPlace = missing + differing;
    if (notInPlace.empty()) {
        Notice(state.mainDialog, u"The update is in place: all " + count + u" files match.",
               u"Norvane", kMbIconInformation, kExitSuccess);
        return true;
    }
    Notice(state.mainDialog,
           u"The update is not in place: " +
               DecimalText(static_cast<int64_t>(missing + differing)) + u" of " + count +
               u" files differ or are missing:" + notInPlace,
           u"Norvane", kMbIconWarning, kExitNotInPlace);
    return false;
}
