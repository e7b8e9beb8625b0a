#pragma once
// The tool's own preparation run over a list against this machine, with nothing written: which
// sections apply, what the tool would say, and the copies it would make.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/WString.h"
#include "check/CheckServices.h"
#include "check/Finding.h"
#include "check/ListOutline.h"

struct PlannedCopy {
    uint32_t line;  // the file line
    WString source;
    WString destination;
    bool replaces;           // the destination exists and would be replaced
    bool unchanged = false;  // the destination already holds the source's bytes: nothing written
};

struct DryRunResult {
    Findings findings;  // in line order
    std::vector<PlannedCopy> plan;
    uint64_t totalBytes = 0;
    bool prepared = false;  // false: the tool stops before its main dialog offers Start
    uint32_t stopsAt = 0;   // the file line where the copy stops before it writes anything
};

// `services` must be in place as System(); `outline` is the list's sections as the lint read
// them; paths in the findings' texts are shown through `showPath`.
DryRunResult DryRun(const std::string& bytes, CheckServices& services, const ListOutline& outline,
                    const std::function<WString(const WString&)>& showPath);

// The findings of the check and of the dry run as one list: in line order, each once; what the
// tool would show of a cause that the check named on that line already is left out.
Findings Merged(const Findings& check, const Findings& run);

// Findings in line order, each once.
Findings InLineOrder(Findings findings);
