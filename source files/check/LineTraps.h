#pragma once
// Small readings of one list line that tell a trap apart from what the author meant. The tool
// itself never trims, folds case or looks inside a name; these only serve the checker's findings.
#include <cstdint>
#include <vector>

#include "base/WString.h"
#include "norvane/ListKeywords.h"
#include "norvane/SectionNotes.h"  // Quoted, as findings and the tool's log show a value

// A count in decimal, as findings show it.
WString Number(uint64_t value);

// Letter case as Windows compares file names and registry keys: ASCII and the Latin-1 letters.
WChar FoldedCase(WChar unit);
bool SameIgnoringCase(const WString& a, const WString& b);

// Edits (insert, delete, replace) from one text to the other, letter case aside.
size_t EditDistance(const WString& from, const WString& to);

// The candidates nearest to `name` (at most three, the nearest first), leaving out those too far
// from it to be a slip of the pen.
std::vector<WString> ClosestNames(const WString& name, const std::vector<WString>& candidates);

// A blank the tool keeps as part of a value: the space and the ideographic space.
bool IsBlank(WChar unit);
bool EndsInBlank(const WString& text);
WString TrimBlanks(const WString& text);

// A line read as a file line that its author most likely meant as a section header: another
// case, blanks around it, or a letter or two off ("[SetParameter]").
bool IsNearMissHeader(const WString& item);

// True when a "..", between separators, climbs out of the folder the text is appended to.
bool HasParentSegment(const WString& relativePath);

// True when the text starts with what the tool's number reading takes as digits: optional
// leading blanks and a sign, then a digit.
bool HasLeadingNumber(const WString& text);

// What follows the number that HasLeadingNumber finds: the text after its digits.
WString TextAfterNumber(const WString& text);

// The system's message text without its line end.
WString WithoutLineEnd(WString text);

// The first item a raw line (its line end included) would give if no length limit cut it: the
// text up to the first TAB, CR, LF or "//", as the text model reads it.
WString UncutFirstItem(const WString& rawLine);

// What a lone CR (one not followed by LF) hides in a raw line: the tool ends lines only at LF and
// reads a CR as an item separator, so every piece after the first is lost. The pieces that hold
// more than a comment, in order.
std::vector<WString> PiecesAfterLoneCr(const WString& rawLine);

// At most `units` units of the text, with "..." where it was cut.
WString Abbreviated(const WString& text, size_t units);
