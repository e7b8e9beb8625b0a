#include "norvane/RunLogLines.h"

#include "norvane/FormatByteCount.h"
#include "platform/SystemServices.h"

namespace {
const WChar* ResultName(CopyResult result) {
    switch (result) {
        case CopyResult::New: return u"new";
        case CopyResult::Replaced: return u"replaced";
        case CopyResult::Unchanged: return u"unchanged";
        case CopyResult::AtRestart: return u"replaced at the next restart";
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
    return line;
}

std::vector<WString> RunStartLines(const WString& version, const WString& commit,
                                   const WString& module, const RunIdentity& identity,
                                   const WString& logPath) {
    const auto known = [](const WString& text) { return text.empty() ? WString(u"?") : text; };
    std::vector<WString> lines = {
        u"==== Norvane " + version + u" (commit " + commit + u") starts: " + module,
        u"account " + known(identity.account) + u" on " + known(identity.computer) + u", " +
            (identity.elevated ? u"elevated" : u"not elevated") + u"; log " + logPath};
    if (identity.systemAccount) {
        lines.push_back(
            u"the local system account runs the tool: HKEY_CURRENT_USER is that "
            u"account's own, so products whose INSTALLDIR is kept only per user are "
            u"not found there");
    }
    return lines;
}

WString RunEndLine(const AppState& state, uint32_t exitCode) {
    const RunSummary& run = state.summary;
    WString status;
    if (run.verified) {
        status = u"verified " + DecimalText(state.entryCount) + u" files, " +
                 (run.notInPlace == 0
                      ? WString(u"all in place")
                      : DecimalText(static_cast<int64_t>(run.notInPlace)) + u" not in place") +
                 u"; nothing written";
    } else if (!run.ran) {
        status = u"nothing copied";
    } else if (run.complete) {
        size_t counts[5] = {};
        for (const CopyOutcome& outcome : state.outcomes)
            ++counts[static_cast<int>(outcome.result)];
        status = DecimalText(static_cast<int64_t>(state.outcomes.size())) + u" of " +
                 DecimalText(state.entryCount) + u" files (" + DecimalText(counts[0]) + u" new, " +
                 DecimalText(counts[1]) + u" replaced, " + DecimalText(counts[2]) +
                 u" unchanged, " + DecimalText(counts[4]) + u" at the next restart), " +
                 FormatByteCount(state.copiedBytes) + u" of " + FormatByteCount(state.totalBytes) +
                 u" bytes; Copy complete!";
    } else {
        status = run.cancelled ? WString(u"cancelled")
                               : u"stopped at file " + DecimalText(run.stoppedAt) + u" of " +
                                     DecimalText(state.entryCount);
        status += run.notPutBack == 0
                      ? u"; the installation was left as it was"
                      : u"; " + DecimalText(run.notPutBack) + u" files could not be put back";
        status += u"; Copy stopped.";
    }
    return u"end: " + status + u"; exit code " + DecimalText(exitCode);
}
