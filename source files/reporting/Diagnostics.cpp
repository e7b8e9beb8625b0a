#include "reporting/Diagnostics.h"

#include <optional>
#include <string>

#include "platform/SystemServices.h"

const WChar kErrorCaption[] = u"error";
const WChar kStartupSource[] = u"source files\\winmain";
const WChar kCopySource[] = u"source files\\norvane\\norvane";

namespace {
constexpr WChar kDownBanner[] =
    u"\u2193\u2193\u2193\u2193\u2193\u2193 Error \u2193\u2193\u2193\u2193\u2193\u2193\n";
constexpr WChar kUpBanner[] =
    u"\u2191\u2191\u2191\u2191\u2191\u2191 Error \u2191\u2191\u2191\u2191\u2191\u2191\n";
constexpr uint32_t kReportFlags = kMbIconWarning | kMbSetForeground | kMbTopmost;

// Where the system has no text for a code, the reports print what printf prints for a null
// string.
WString SystemTextOrNull(const WString* systemText) {
    return systemText != nullptr ? *systemText : WString(u"(null)");
}

WString LocationLine(int line, const WString& source) {
    return u"[" + DecimalText(line) + u" line] " + source + u"\n";
}
}  // namespace

WString FormatDebugReport(int line, const WString& source, const WString& message) {
    return kDownBanner + LocationLine(line, source) + message + u"\n" + kUpBanner;
}

WString FormatDebugReportWithSystemText(int line, const WString& source, const WString& message,
                                        const WString* systemText) {
    // The system's texts end in their own CR LF, so the closing banner follows directly.
    return kDownBanner + LocationLine(line, source) + message + u"\n" +
           SystemTextOrNull(systemText) + kUpBanner;
}

WString FormatBoxReport(const WString& message) {
    return message + u"\r\n";
}

WString FormatBoxReportWithSystemText(const WString& message, const WString* systemText) {
    return u"\u25C6message\u25C6\r\n" + message + u"\r\n\n\u25C6error\u25C6\r\n" +
           SystemTextOrNull(systemText);
}

void ReportError(int line, const WString& source, const WString& message, uint32_t exitCode) {
    System().DebugOutput(FormatDebugReport(line, source, message));
    Notice(nullptr, FormatBoxReport(message), kErrorCaption, kReportFlags, exitCode);
}

void ReportSystemErrorCode(int line, const WString& source, const WString& message, uint32_t code) {
    SystemServices& system = System();
    std::optional<WString> systemText = system.SystemErrorText(code);
    const WString* text = systemText ? &*systemText : nullptr;
    system.DebugOutput(FormatDebugReportWithSystemText(line, source, message, text));
    Notice(nullptr, FormatBoxReportWithSystemText(message, text), kErrorCaption, kReportFlags);
}

void ShowLastErrorText(uint32_t code) {
    std::optional<WString> systemText = System().SystemErrorText(code);
    Notice(nullptr, systemText.value_or(WString()), kErrorCaption, kMbIconInformation);
}
