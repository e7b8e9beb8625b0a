#pragma once
// wchar_t is 16 bits on Windows: the tool's UTF-16 strings cross the API edge unchanged.
#include "base/WString.h"

static_assert(sizeof(wchar_t) == sizeof(WChar), "Windows wide characters are UTF-16 units");

inline const wchar_t* AsWide(const WString& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline const wchar_t* AsWide(const WChar* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* AsWide(WChar* text) {
    return reinterpret_cast<wchar_t*>(text);
}
inline WString FromWide(const wchar_t* text) {
    return text != nullptr ? WString(reinterpret_cast<const WChar*>(text)) : WString();
}
