#include "norvane/RunLogLines.h"

#include "norvane/FormatByteCount.h"
#include "platform/SystemServices.h"

namespace {
const WChar* ResultName(CopyResult result) {
    switch (result) {
        case CopyResult::New: return u"new";
        case CopyResult::Replaced: return u"replaced";
        case CopyResult::Unchanged: return u"unchanged";
        case CopyResult::Failed: break;
    }
    return u"failed";
}
}  // namespace

WString FileLogLine(const CopyEntry& entry, const CopyOutcome& outcome) {
    WString line = u"copy " + entry.sourceFolder + entry.fileName + u" -> " + entry.destFolder +
                   entry.fileName + u": " + ResultName(outcome.result);
    if (outcome.result != CopyResult::Failed) {
        return line + u", " + FormatByteCount(entry.size) + u" bytes";
    }
    line += u", error " + DecimalText(outcome.error);
    if (std::optional<WString> text = System().SystemErrorText(outcome.error))
        line += u": " + *text;
    if (!outcome.keptAs.empty()) line += u"; the file is kept as " + outcome.keptAs;
    return line;
}

WString RunEndLine(const AppState& state, uint32_t exitCode) {
    size_t counts[4] = {};
    for (const CopyOutcome& outcome : state.outcomes) ++counts[static_cast<int>(outcome.result)];
    const size_t done = counts[0] + counts[1] + counts[2];
    WString status;
    if (state.outcomes.empty()) {
        status = u"nothing copied";
    } else {
        status =
            DecimalText(static_cast<int64_t>(done)) + u" of " + DecimalText(state.entryCount) +
            u" files (" + DecimalText(static_cast<int64_t>(counts[0])) + u" new, " +
            DecimalText(static_cast<int64_t>(counts[1])) + u" replaced, " +
            DecimalText(static_cast<int64_t>(counts[2])) + u" unchanged), " +
            FormatByteCount(state.copiedBytes) + u" of " + FormatByteCount(state.totalBytes) +
            u" bytes; " +
            (counts[3] == 0 && done == static_cast<size_t>(state.entryCount) ? u"Copy complete!"
                                                                             : u"Copy stopped.");
    }
    return u"end: " + status + u"; exit code " + DecimalText(exitCode);
}
