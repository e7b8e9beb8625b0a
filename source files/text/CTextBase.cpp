#include "text/CTextBase.h"

#include <cstring>
#include <limits>

#include "base/PrivateHeap.h"
#include "platform/SystemServices.h"

namespace {
// The byte count that stands for "no valid size" (a failed size query gives all 32 bits set).
constexpr uint32_t kInvalidSize = 0xFFFFFFFFu;

// The converted text must have its byte size in a signed 32-bit field and its unit count in the
// signed count that the code-page conversion takes; a larger file is refused like a failed
// allocation instead of overflowing either.
constexpr uint64_t kMaxTextUnits = static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) / 2;
}  // namespace

CTextBase::~CTextBase() {
    Clear();
    std::vector<uint32_t>().swap(lineStarts);
}

bool CTextBase::SetText(const void* bytes, uint32_t size) {
    if (size == kInvalidSize || (bytes == nullptr && size != 0)) {
        Clear();
        return false;
    }
    const uint64_t units = static_cast<uint64_t>(size) + 1;
    // A NUL-terminated copy, so that the conversion also produces the terminator.
    PrivateHeapBlock<char> raw(
        static_cast<char*>(PrivateHeap::Allocate(static_cast<size_t>(units))));
    if (!raw) {
        Clear();
        return false;
    }
    if (size != 0) std::memcpy(raw.get(), bytes, size);

    Clear();
    if (units > kMaxTextUnits) return false;
    textBytes = static_cast<int32_t>(units * sizeof(WChar));
    // One unit beyond textBytes stays zero whatever the conversion writes, so the text is always
    // terminated inside its block, even when a conversion leaves no NUL of its own.
    text.reset(
        static_cast<WChar*>(PrivateHeap::Allocate(static_cast<size_t>(textBytes) + sizeof(WChar))));
    if (!text) {
        Clear();
        return false;
    }
    // A failed conversion leaves the zero-filled block, that is an empty text.
    System().AnsiToWide(raw.get(), static_cast<int>(units), text.get(), static_cast<int>(units));
    raw.reset();

    textLength = 0;
    while (text.get()[textLength] != 0) ++textLength;

    lineStarts.push_back(0);
    lineCount = 1;
    for (uint32_t i = 0; i < textLength; ++i) {
        // A LF closing the text opens no empty last line.
        if (text.get()[i] == u'\n' && text.get()[i + 1] != 0) {
            lineStarts.push_back(i + 1);
            ++lineCount;
        }
    }

    if (!FirstLine()) {
        Clear();
        return false;
    }
    return true;
}

bool CTextBase::Clear() {
    text.reset();
    textBytes = 0;
    textLength = 0;
    lineCount = 0;
    lineStarts.clear();
    itemPos = 0;
    std::memset(itemText, 0, sizeof(itemText));
    std::memset(itemTextAnsi, 0, sizeof(itemTextAnsi));
    itemAnsiComplete = false;
    return true;
}

WString CTextBase::RawLine(uint32_t index) const {
    if (lineCount <= 0 || index >= static_cast<uint32_t>(lineCount)) return WString();
    const uint32_t start = lineStarts[index];
    return WString(text.get() + start, LineEnd(index) - start);
}
