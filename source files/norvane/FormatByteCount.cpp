#include "norvane/FormatByteCount.h"

WString FormatByteCount(uint64_t value) {
    const WString digits = DecimalText(value);
    WString text;
    text.reserve(digits.size() + (digits.size() - 1) / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        text += digits[i];
        const size_t left = digits.size() - 1 - i;
        if (left != 0 && left % 3 == 0) text += u',';
    }
    return text;
}
