#include "base/CaseFold.h"

WChar FoldedUnit(WChar unit) {
    // Latin-1's capitals are 0xC0 to 0xDE, but for the multiplication sign 0xD7.
    const bool latin1Capital = unit >= 0xC0 && unit <= 0xDE && unit != 0xD7;
    if ((unit >= u'A' && unit <= u'Z') || latin1Capital) return static_cast<WChar>(unit + 0x20);
    return unit;
}

WString CaseFolded(WString text) {
    for (WChar& unit : text) unit = FoldedUnit(unit);
    return text;
}

bool SameIgnoringCase(const WString& a, const WString& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldedUnit(a[i]) != FoldedUnit(b[i])) return false;
    }
    return true;
}
