#pragma once
// The preparation step of the main dialog: reads the list's sections and file lines after the
// launch line, proves every listed source can be opened, and fills CopyList, entryCount and
// totalBytes. Every problem is shown to the user here.
#include "app/AppState.h"
#include "base/WString.h"

class CTextLine;

// True when CopyList holds at least one entry. False when a problem was shown to the user; the
// caller ends the dialog.
// The progress bar's range is the dialog's business and is not touched here.
bool BuildCopyList(AppState& state, CTextLine& text, WindowHandle mainDialog);

// True when folder + name (nothing put between them) has no attributes: neither file nor folder.
bool IsFileMissing(const WString& folder, const WString& name);
