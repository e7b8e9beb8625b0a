#include "norvane/FormatByteCount.h"

WString FormatByteCount(uint64_t value) {
    // Least significant first; the largest 64-bit value has 20 digits.
    WChar digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<WChar>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);

    WString text;
    text.reserve(count + (count - 1) / 3);
    for (int position = count - 1; position >= 0; --position) {
        text += digits[position];
        if (position != 0 && position % 3 == 0) text += u',';
    }
    return text;
}
