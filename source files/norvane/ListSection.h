#pragma once
// One parameter section of the list: the five lines after its header, and what they leave for the
// file lines that follow.
#include <cstdint>

#include "app/AppState.h"
#include "base/WString.h"

class CTextLine;

// Carried from one section to the next: a section whose registry lookup fails keeps the previous
// destination folder, and the next header looks at the previous section's action.
struct SectionState {
    WString sourceFolder;
    WString destFolder;
    bool applies = false;
    uint8_t action = 0;
};

enum class SectionOutcome {
    Read,       // the file lines that follow belong to this section
    EndOfList,  // the previous section applied with action 2: nothing more is read
    Failed,     // the user has been told why; the preparation ends
};

// Called with the cursor on a "[SetParamter]" header line.
SectionOutcome ReadSection(AppState& state, CTextLine& text, SectionState& section);
