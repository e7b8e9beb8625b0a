#include <gtest/gtest.h>

#include "framework/Diagnostics.h"
#include "support/RecordingServices.h"

namespace {
const WString kDown = u"\u2193\u2193\u2193\u2193\u2193\u2193 Error \u2193\u2193\u2193\u2193\u2193\u2193\n";
const WString kUp = u"\u2191\u2191\u2191\u2191\u2191\u2191 Error \u2191\u2191\u2191\u2191\u2191\u2191\n";
constexpr uint32_t kReportFlags = 0x50030;

// The system's texts are fixed here, so the layouts are checked apart from the platform's
// wording; code 5 has a text, every other code has none.
class FixedTextServices : public RecordingServices {
public:
    std::optional<WString> SystemErrorText(uint32_t code) override {
        if (code == 5) return WString(u"Access is denied.\r\n");
        return std::nullopt;
    }
    uint32_t LastError() override { return lastError; }
    uint32_t lastError = 0;
};

class DiagnosticsTest : public ::testing::Test {
protected:
    FixedTextServices services;
    ScopedSystemOverride override{services};
};

TEST_F(DiagnosticsTest, ReportErrorWritesTheDebugReportThenAWarningBoxWithoutOwner) {
    ReportError(28, u"source files\\winmain", u"Already running. ERROR_ALREADY_EXISTS ");
    ASSERT_EQ(services.debugOutput.size(), 1u);
    EXPECT_EQ(services.debugOutput[0], kDown + u"[28 line] source files\\winmain\n"
                                               u"Already running. ERROR_ALREADY_EXISTS \n" + kUp);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0],
              (RecordingServices::ShownMessage{nullptr, u"Already running. ERROR_ALREADY_EXISTS \r\n",
                                               WString(u"error"), kReportFlags}));
}

TEST_F(DiagnosticsTest, ReportSystemErrorTakesTheLastErrorAndJoinsTheSystemText) {
    services.lastError = 5;
    ReportSystemError(407, u"source files\\norvane\\norvane", u"Copy failed.");
    ASSERT_EQ(services.debugOutput.size(), 1u);
    // No line break before the closing banner: the system's text ends in its own.
    EXPECT_EQ(services.debugOutput[0], kDown + u"[407 line] source files\\norvane\\norvane\n"
                                               u"Copy failed.\nAccess is denied.\r\n" + kUp);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0],
              (RecordingServices::ShownMessage{
                  nullptr,
                  u"\u25C6message\u25C6\r\nCopy failed.\r\n\n\u25C6error\u25C6\r\nAccess is denied.\r\n",
                  WString(u"error"), kReportFlags}));
}

TEST_F(DiagnosticsTest, ACodeWithoutSystemTextShowsNull) {
    ReportSystemErrorCode(407, u"x", u"Copy failed.", 0x2F0F);
    EXPECT_EQ(services.debugOutput.at(0), kDown + u"[407 line] x\nCopy failed.\n(null)" + kUp);
    EXPECT_EQ(services.messages.at(0).text,
              u"\u25C6message\u25C6\r\nCopy failed.\r\n\n\u25C6error\u25C6\r\n(null)");
}

TEST_F(DiagnosticsTest, ShowLastErrorTextShowsTheSystemTextAloneWithTheInformationIcon) {
    ShowLastErrorText(5);
    ShowLastErrorText(0x2F0F);
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[0], (RecordingServices::ShownMessage{nullptr, u"Access is denied.\r\n",
                                                                     WString(u"error"), 0x40}));
    EXPECT_EQ(services.messages[1].text, u"");
    EXPECT_TRUE(services.debugOutput.empty());
}
}  // namespace
