#pragma once
// The log's lines for what the run did, named as norvane-check's dry run names the same files,
// so that a dry run and a machine's log can be read side by side.
#include <cstdint>

#include "app/AppState.h"

// "copy SOURCE -> DESTINATION: replaced, 1,234 bytes", or the failure with the system's code.
WString FileLogLine(const CopyEntry& entry, const CopyOutcome& outcome);

// The run's end: the files and bytes copied, the status, the exit code.
WString RunEndLine(const AppState& state, uint32_t exitCode);
