#pragma once
// Conversions between the forms text takes on its way through the tool: UTF-16 in the program,
// the ANSI code page in "Update.up" and on the debugger output, UTF-8 in logs and in reports.
#include <string>
#include <string_view>

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);
// True when every character of the text has a form in the ANSI code page.
bool FitsAnsiCodePage(std::wstring_view text);
// Raw bytes of a text in UTF-16, little or big endian, with or without the byte-order mark.
std::string Utf16Bytes(std::wstring_view text, bool bigEndian, bool withSignature);

// A one-line, unambiguous form for reports: the text quoted, control characters, the quote and
// the backslash escaped (\r \n \t \" \\ \xNN), everything else as it is.
std::string Visible(std::wstring_view text);
