#pragma once
// What a value of the list holds beyond what its author sees: the blanks the tool keeps, a ".."
// that climbs out, the item a cut or a lone CR hides. The tool itself never trims or looks inside
// a value; these serve only the checker's findings.
#include <vector>

#include "base/WString.h"

// A blank the tool keeps as part of a value: the space and the ideographic space.
bool IsKeptBlank(WChar unit);
bool EndsInBlank(const WString& text);
WString TrimBlanks(const WString& text);

// True when a "..", between separators, climbs out of the folder the text is appended to.
bool HasParentSegment(const WString& relativePath);

// The system's message text without its line end.
WString WithoutLineEnd(WString text);

// The first item a raw line (its line end included) would give if no length limit cut it: the
// text up to the first TAB, CR, LF or "//", as the text model reads it.
WString UncutFirstItem(const WString& rawLine);

// What a lone CR (one not followed by LF) hides in a raw line: the tool ends lines only at LF and
// reads a CR as an item separator, so every piece after the first is lost. The pieces that hold
// more than a comment, in order.
std::vector<WString> PiecesAfterLoneCr(const WString& rawLine);

// The text with each character that cannot be seen, or that looks like another, shown by its code
// point ("<U+00A0>"): a no-break space, a control character, a combining accent, a look-alike
// of a slash. Line ends stay.
WString WithInvisibleShown(const WString& text);

// At most `units` units of the text, with "..." where it was cut.
WString Abbreviated(const WString& text, size_t units);
