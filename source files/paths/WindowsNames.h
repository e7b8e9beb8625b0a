#pragma once
// Windows' own rules for the names of files and folders, written once and applied the same on
// every system: the tool refuses a listed name that Windows would refuse before it changes
// anything, and norvane-check, on Windows and on Linux alike, tells what Windows makes of a name.
//   "/" separates as "\" does; a doubled separator leaves an empty name between the two.
//   < > : " | ? * and the control characters are refused; "name:more" names a stream of "name".
//   CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 are devices, with any extension too.
//   Blanks and dots at the end of the last name are dropped: "Core.dll. " opens "Core.dll".
//   Letter case does not tell names apart (base/CaseFold.h).
#include <optional>

#include "base/WString.h"

enum class NameRule {
    DoubledSeparator,  // two separators in a row, or one at the start of a relative path
    RefusedCharacter,  // one of < > " | ? * or a control character
    Stream,            // a ":" in a name: the stream after it, of the file before it
    DeviceName,        // a name Windows keeps for a device, with or without an extension
};

struct NameFault {
    NameRule rule;
    WString name;         // the name (between separators) at fault
    WChar character = 0;  // the refused character, for RefusedCharacter and Stream
};

// The first fault Windows finds in a relative path (a file line, a condition's name), from the
// left; nullopt when Windows takes every name of it.
std::optional<NameFault> WindowsNameFault(const WString& relativePath);

// What the fault is, in words that name it: "\"?\" is a character Windows refuses in a name".
WString WindowsNameFaultText(const NameFault& fault);

// A character's code point as findings and boxes name it: "U+001A".
WString CodePointText(WChar unit);
// A character as findings and boxes show it: itself when it can be seen, else its code point.
WString ShownCharacter(WChar unit);

// The path as Windows opens it: the blanks and dots at the end of its last name dropped.
WString AsWindowsOpens(const WString& path);
