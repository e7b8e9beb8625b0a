// Failure reports: the debugger report with its source location, and the box the user sees.
#include <gtest/gtest.h>

#include <functional>

#include "reporting/Diagnostics.h"
#include "support/RecordingServices.h"

namespace {
const WString kDown = u"↓↓↓↓↓↓ Error ↓↓↓↓↓↓\n";
const WString kUp = u"↑↑↑↑↑↑ Error ↑↑↑↑↑↑\n";
const WString kMessage = u"◆message◆\r\n";
const WString kError = u"◆error◆\r\n";
constexpr uint32_t kReportFlags = 0x50030;  // warning icon, foreground, topmost

// The system's texts are fixed here, so the layouts are checked apart from the platform's
// wording; code 5 has a text, every other code has none.
class FixedTextServices : public RecordingServices {
public:
    std::optional<WString> SystemErrorText(uint32_t code) override {
        return code == 5 ? std::optional<WString>(u"Access is denied.\r\n") : std::nullopt;
    }
};

TEST(Diagnostics, ReportsGoToTheDebuggerAndAnErrorBoxWithoutOwner) {
    const struct {
        std::function<void()> report;
        WString debug;  // none: nothing for the debugger
        WString box;
        uint32_t flags;
    } cases[] = {
        {[] { ReportError(28, u"source files\\winmain", u"Already running. "); },
         kDown + u"[28 line] source files\\winmain\nAlready running. \n" + kUp,
         u"Already running. \r\n", kReportFlags},
        // The code's text; no line break before the closing banner, the text ends in its own.
        {[] { ReportSystemErrorCode(407, u"norvane", u"Copy failed.", 5); },
         kDown + u"[407 line] norvane\nCopy failed.\nAccess is denied.\r\n" + kUp,
         kMessage + u"Copy failed.\r\n\n" + kError + u"Access is denied.\r\n", kReportFlags},
        {[] { ReportSystemErrorCode(407, u"x", u"Copy failed.", 0x2F0F); },
         kDown + u"[407 line] x\nCopy failed.\n(null)" + kUp,
         kMessage + u"Copy failed.\r\n\n" + kError + u"(null)", kReportFlags},
        // The system's text alone, with the information icon.
        {[] { ShowLastErrorText(5); }, u"", u"Access is denied.\r\n", 0x40},
        {[] { ShowLastErrorText(0x2F0F); }, u"", u"", 0x40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.box));
        FixedTextServices services;
        ScopedSystemOverride inPlace(services);
        c.report();
        EXPECT_EQ(services.debugOutput,
                  c.debug.empty() ? std::vector<WString>{} : std::vector<WString>{c.debug});
        EXPECT_EQ(services.messages, (std::vector<RecordingServices::ShownMessage>{
                                         {nullptr, c.box, WString(u"error"), c.flags}}));
    }
}
}  // namespace
