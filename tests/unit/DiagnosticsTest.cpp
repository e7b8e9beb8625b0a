#include <gtest/gtest.h>

#include "framework/Diagnostics.h"

TEST(Diagnostics, BoxLayoutWithSystemTextSeparatesHalvesWithCrLfLf) {
    WString access = u"Access is denied.\r\n";
    EXPECT_EQ(FormatBoxReportWithSystemText(u"Copy failed.", &access),
              u"\u25C6message\u25C6\r\nCopy failed.\r\n\n\u25C6error\u25C6\r\nAccess is denied.\r\n");
}
