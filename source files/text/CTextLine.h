#pragma once
// A forward cursor over the content lines of the list file (lines left with a character after
// line ends and "//" comments are cut) and over the TAB-separated items of the current line.
#include "text/CTextBase.h"

class CTextLine : public CTextBase {
public:
    CTextLine() = default;
    ~CTextLine() override;

    bool FirstLine() override;
    bool SetLine(uint32_t index);
    bool NextLine();
    // The next item of the current line as ANSI text, or null when that item is empty;
    // ItemText() then holds the same item in UTF-16.
    const char* NextItem();

    uint32_t LineIndex() const { return lineIndex; }
    const WChar* LineText() const { return lineText; }
    int32_t LineLength() const { return lineLength; }

private:
    uint32_t lineIndex = 0;
    int32_t lineLength = 0;
    WChar lineText[kLineUnits] = {};
};
