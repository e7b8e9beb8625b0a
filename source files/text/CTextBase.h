#pragma once
// The list file's text: the raw ANSI bytes converted once to UTF-16, indexed by line, with the
// fixed item buffers that the cursor of CTextLine fills.
#include <cstdint>
#include <vector>

#include "base/PrivateHeap.h"
#include "base/WString.h"

constexpr int kItemUnits = 1024;      // itemText, terminator included
constexpr int kItemAnsiBytes = 1024;  // itemTextAnsi, terminator included
constexpr int kLineUnits = 1024;      // lineText, terminator included

class CTextBase {
public:
    CTextBase() = default;
    virtual ~CTextBase();
    CTextBase(const CTextBase&) = delete;
    CTextBase& operator=(const CTextBase&) = delete;

    // True when the bytes hold at least one content line; that line is then current.
    bool SetText(const void* bytes, uint32_t size);
    bool Clear();
    virtual bool FirstLine() = 0;

    const WChar* ItemText() const { return itemText; }
    const char* ItemTextAnsi() const { return itemTextAnsi; }
    // True when the last item's ANSI copy holds the whole item and its terminator; an item whose
    // ANSI form did not fit, or could not be converted, is not usable in that form.
    bool ItemAnsiComplete() const { return itemAnsiComplete; }
    int32_t LineCount() const { return lineCount; }
    uint32_t TextLength() const { return textLength; }
    // A line as the text holds it, before any cut: its comment and its own line end included.
    // Empty for an index past the last line.
    WString RawLine(uint32_t index) const;

protected:
    // Where the line after `index` starts, or the text's end: a line's raw extent, its line end
    // included. `index` must be a line of the text.
    uint32_t LineEnd(uint32_t index) const {
        return index + 1 < static_cast<uint32_t>(lineCount) ? lineStarts[index + 1] : textLength;
    }

    int32_t textBytes = 0;
    uint32_t textLength = 0;
    PrivateHeapBlock<WChar> text;  // the converted text, owned, from the private heap
    int32_t lineCount = 0;
    std::vector<uint32_t> lineStarts;
    int32_t itemPos = 0;
    WChar itemText[kItemUnits] = {};
    char itemTextAnsi[kItemAnsiBytes] = {};
    bool itemAnsiComplete = false;
};
