#pragma once
// Small readings of one list line that tell a trap apart from what the author meant. The tool
// itself never trims, folds case or looks inside a name; these only serve the checker's findings.
#include "app/WString.h"
#include "norvane/ListKeywords.h"

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

// The system's message text without its line end.
WString WithoutLineEnd(WString text);
