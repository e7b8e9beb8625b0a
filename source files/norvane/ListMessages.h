#pragma once
// The messages of the copy list preparation. Each stays on top of the main dialog that owns it,
// so the user sees it above the wait dialog; without a caption the system's default one shows.
#include "app/AppState.h"
#include "reporting/Notice.h"
#include "base/WString.h"

// Start-up's box when the list cannot be read or holds no content line.
extern const WChar kListNotFoundText[];       // "Cannot find 'Update.up'."
extern const WChar kListReadErrorCaption[];   // "Text data read error."
extern const WChar kNoFileToCopyText[];       // "There is no file to copy."
extern const WChar kDirectoryNotValidText[];  // "Directory setting is not valid."
extern const WChar kTooManyFilesText[];       // "Exceeded the maximum number of files for copy."
// The captions of the box after a listed source could not be opened.
extern const WChar kPathErrorCaption[];      // "Path error"
extern const WChar kFileReadErrorCaption[];  // "File read error"

// "Line 12 of 'Update.up' begins with a separator.", with the line counted in the file.
WString LineBeginsWithSeparatorText(uint32_t lineNumber);

// Through the notice road: a box in an interactive run, the log in an unattended one, whose exit
// code becomes `exitCode`.
void ShowListMessage(const AppState& state, const WString& text, const WChar* caption = nullptr,
                     uint32_t exitCode = kExitFailure);

// After a listed source could not be opened: the system's text for the failure's code, then why
// the list is at fault, told by the length of the full source path.
void ReportUnreadableSource(const AppState& state, uint32_t errorCode, const WString& sourcePath,
                            const WString& fileName);
