#pragma once
// Failure reports: a message box for the user and, for failures a developer has to trace, a
// report with the source location on the debugger output.
#include <cstdint>

#include "reporting/Notice.h"
#include "reporting/ReportLines.h"
#include "base/WString.h"

extern const WChar kErrorCaption[];  // "error"

// The composed texts, apart so they can be checked without showing anything.
WString FormatDebugReport(int line, const WString& source, const WString& message);
WString FormatDebugReportWithSystemText(int line, const WString& source, const WString& message,
                                        const WString* systemText);
WString FormatBoxReport(const WString& message);
WString FormatBoxReportWithSystemText(const WString& message, const WString* systemText);

// Each report's box goes through the notice road (Notice.h), with the run's exit code noted.
void ReportError(int line, const WString& source, const WString& message,
                 uint32_t exitCode = kExitFailure);
void ReportSystemErrorCode(int line, const WString& source, const WString& message, uint32_t code);
// A box with the system's text for `code` (the caller passes the code it got; the box is empty
// where the system has no text for it). The reports' established name is kept.
void ShowLastErrorText(uint32_t code);
