#include "TextForm.h"

#include <windows.h>

#include <cwchar>

namespace {

std::string Narrow(UINT codePage, std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, result.data(), bytes, nullptr, nullptr);
    return result;
}

std::wstring Widen(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring result(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, result.data(), units);
    return result;
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
    return Narrow(CP_UTF8, text);
}
std::wstring FromUtf8(std::string_view text) {
    return Widen(CP_UTF8, text);
}
std::string ToAnsi(std::wstring_view text) {
    return Narrow(CP_ACP, text);
}
std::wstring FromAnsi(std::string_view bytes) {
    return Widen(CP_ACP, bytes);
}

bool FitsAnsiCodePage(std::wstring_view text) {
    if (text.empty()) return true;
    BOOL usedDefault = FALSE;
    const int bytes =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                            static_cast<int>(text.size()), nullptr, 0, nullptr, &usedDefault);
    return bytes > 0 && !usedDefault && FromAnsi(ToAnsi(text)) == text;
}

std::string Utf16Bytes(std::wstring_view text, bool bigEndian, bool withSignature) {
    std::string bytes;
    auto put = [&](unsigned unit) {
        bytes.push_back(static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF));
        bytes.push_back(static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8));
    };
    if (withSignature) put(0xFEFF);
    for (wchar_t unit : text) put(static_cast<unsigned>(unit));
    return bytes;
}

std::string Visible(std::wstring_view text) {
    std::wstring escaped = L"\"";
    for (wchar_t unit : text) {
        switch (unit) {
            case L'\r': escaped += L"\\r"; break;
            case L'\n': escaped += L"\\n"; break;
            case L'\t': escaped += L"\\t"; break;
            case L'\\': escaped += L"\\\\"; break;
            case L'"': escaped += L"\\\""; break;
            default:
                if (unit < 0x20 || unit == 0x7F) {
                    wchar_t hex[8];
                    std::swprintf(hex, 8, L"\\x%02X", static_cast<unsigned>(unit));
                    escaped += hex;
                } else {
                    escaped += unit;
                }
        }
    }
    return ToUtf8(escaped + L"\"");
}
