#pragma once
// One thing the checker has to tell a package author about a line of the list file.
#include <cstdint>
#include <vector>

#include "base/WString.h"

enum class Severity {
    Note,     // what the tool does with a line, for the author's information
    Warning,  // the tool would silently do something else than the author meant
    Error,    // the tool would stop, or copy nothing, or fail to copy
};

struct Finding {
    uint32_t line;  // 1-based line of the file, blank and comment lines counted
    Severity severity;
    WString text;
    // What the tool shows of a cause (its box, the system's message), which the check may have
    // named on the same line already.
    bool retold = false;
};

using Findings = std::vector<Finding>;

// A finding about the line being read, before it has its line.
struct LineTrap {
    Severity severity;
    WString text;
};
