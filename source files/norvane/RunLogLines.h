#pragma once
// The log's lines for what the run did, named as norvane-check's dry run names the same files,
// so that a dry run and a machine's log can be read side by side.
#include <cstdint>

#include <vector>

#include "app/AppState.h"
#include "platform/SystemServices.h"

// "copy SOURCE -> DESTINATION: replaced, 1,234 bytes", or the failure with the system's code.
WString FileLogLine(const CopyEntry& entry, const CopyOutcome& outcome);

// The run's first lines: the tool, its version and commit, the account, the computer, whether
// the process is elevated, the log's full path; under the system account, what that means for
// products kept per user.
std::vector<WString> RunStartLines(const WString& version, const WString& commit,
                                   const WString& module, const RunIdentity& identity,
                                   const WString& logPath);

// The run's end: the files and bytes copied, the status, the exit code.
WString RunEndLine(const AppState& state, uint32_t exitCode);
