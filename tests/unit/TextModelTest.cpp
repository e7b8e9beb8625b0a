// The text model as a list file meets it: which lines are content, what each line holds, how its
// items split, and that the ANSI text converts with the machine's code page.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "support/RecordingServices.h"
#include "text/CTextLine.h"

namespace {
using Items = std::vector<std::optional<WString>>;  // successive NextItem results, null as none

// The machine's ANSI code page among those the tables know: 932 where two bytes make one character.
int AnsiCodePage() {
    WChar units[2];
    return NativeSystem().AnsiToWide("\x93\xFA", 2, units, 2) == 1 ? 932 : 1252;
}

bool Load(CTextLine& text, const std::string& bytes, uint32_t size = 0) {
    return text.SetText(bytes.data(), size ? size : static_cast<uint32_t>(bytes.size()));
}

// The content lines that the cursor visits, first to last.
std::vector<WString> ContentLines(CTextLine& text) {
    std::vector<WString> lines;
    if (text.LineLength() == 0) return lines;
    do {
        lines.emplace_back(text.LineText(), static_cast<size_t>(text.LineLength()));
    } while (text.NextLine());
    return lines;
}

Items ReadItems(CTextLine& text, size_t count) {
    Items items;
    for (size_t i = 0; i < count; ++i) {
        items.push_back(text.NextItem() ? std::optional<WString>(text.ItemText()) : std::nullopt);
    }
    return items;
}

TEST(TextModel, ListTextGivesItsContentLines) {
    const struct {
        std::string bytes;
        bool accepted;
        int32_t lineCount;  // of the loaded text, blank and comment lines included
        std::vector<WString> content;
        uint32_t size = 0;  // the size given with the bytes, when not theirs
    } cases[] = {
        {"", false, 0, {}},
        // A failed size query gives all 32 bits set: refused without reading the bytes.
        {"new\n", false, 0, {}, 0xFFFFFFFFu},
        {"\r\n\n//launch\r\n//", false, 0, {}},
        // A comment runs to the line's end wherever it starts; blanks before it stay.
        {"//c\r\nabc //note\r\nC:\\Data//Old\\x.dat\r\n", true, 3, {u"abc ", u"C:\\Data"}},
        // A LF closing the text opens no empty last line.
        {"one\n\n\r\ntwo\n", true, 4, {u"one", u"two"}},
        // A lone CR stays in the line, so does one before a comment; blanks are content.
        {"a\rb\r\n  \nc\r//d\nlast", true, 4, {u"a\rb", u"  ", u"c\r", u"last"}},
        // A NUL byte ends the text.
        {std::string("first\nsec\0ond\nthird", 19), true, 2, {u"first", u"sec"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        CTextLine text;
        ASSERT_EQ(Load(text, c.bytes, c.size), c.accepted);
        EXPECT_EQ(text.LineCount(), c.lineCount);
        EXPECT_EQ(ContentLines(text), c.content);
    }
}

// A line of more than 1023 units is cut there, and the developer is told which.
TEST(TextModel, OverlongLinesAreReportedAndCut) {
    const std::string x1022(1022, 'x');
    const struct {
        std::string line;  // the second line of the text
        std::string content;
    } cases[] = {
        {x1022 + "\n", x1022},
        {x1022 + "x\n", x1022 + "x"},
        // The cut falls between CR and LF, so the CR stays in the content.
        {x1022 + "\r\n", x1022 + "\r"},
        // The cut comes first, so a comment it splits is no comment.
        {x1022 + "//note\n", x1022 + "/"},
    };
    const std::vector<WString> report = {u"[CTextLine::SetLine]2行目の文字数が多すぎます。\r\n"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.size());
        RecordingServices system;
        ScopedSystemOverride use(system);
        CTextLine text;
        ASSERT_TRUE(Load(text, "short\r\n" + c.line + "after\r\n"));
        ASSERT_TRUE(text.NextLine());
        // Terminated right after the content.
        EXPECT_EQ(Narrow(text.LineText()), c.content);
        EXPECT_EQ(text.LineLength(), static_cast<int32_t>(c.content.size()));
        EXPECT_EQ(system.debugOutput, c.content.size() > 1022 ? report : std::vector<WString>{});
    }
}

// The items of a line, and those read on after NextLine has found no further content line: the
// cursor stays where it was.
TEST(TextModel, LineSplitsIntoItems) {
    const struct {
        const char* bytes;
        Items items, afterLastLine;
    } cases[] = {
        // Runs of separators count as one, those that end the line as none; the end stays.
        {"a\t\tb\t\t\r\n", {u"a", u"b", std::nullopt, std::nullopt}, {std::nullopt}},
        {"\tname\r\n", {std::nullopt, u"name", std::nullopt}, {std::nullopt}},
        // Blanks belong to the items; a CR separates like a TAB.
        {" a \r\tb\rc\r\n", {u" a ", u"b", u"c", std::nullopt}, {std::nullopt}},
        {"a\tb\tc", {u"a"}, {u"b", u"c", std::nullopt}},
        // Trailing comment lines are visited and leave an empty line current.
        {"a\tb\n// end\n\n", {u"a"}, {std::nullopt}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        CTextLine text;
        ASSERT_TRUE(Load(text, c.bytes));
        EXPECT_EQ(ReadItems(text, c.items.size()), c.items);
        EXPECT_FALSE(text.NextLine());
        EXPECT_EQ(ReadItems(text, c.afterLastLine.size()), c.afterLastLine);
    }
}

// Back to the same bytes for the caller that reads the ANSI copy, unless they do not fit its
// buffer of 1024 bytes; the next item starts over with a conversion of its own.
TEST(TextModel, TextConvertsWithTheAnsiCodePage) {
    std::string nippon511;
    for (int i = 0; i < 511; ++i) nippon511 += "\x93\xFA";
    const struct {
        int codePage;
        std::string bytes;
        WString content;
        bool complete = true;
    } cases[] = {
        {1252, "caf\xE9 \x85 \x80", u"caf\u00E9 \u2026 \u20AC"},
        {1252, "\xEF\xBB\xBFname", u"\u00EF\u00BB\u00BFname"},  // a UTF-8 signature is text
        {932, "\x93\xFA\x96\x7B\\x", u"\u65E5\u672C\\x"},
        {932, nippon511, WString(511, u'\u65E5')},
        {932, nippon511 + "\x93\xFA", WString(512, u'\u65E5'), false},
    };
    bool ran = false;
    for (const auto& c : cases) {
        if (c.codePage != AnsiCodePage()) continue;
        ran = true;
        SCOPED_TRACE(c.bytes.size());
        CTextLine text;
        ASSERT_TRUE(Load(text, c.bytes + "\tnext\r\n"));
        EXPECT_EQ(ReadItems(text, 1), Items{c.content});
        EXPECT_EQ(text.ItemAnsiComplete(), c.complete);
        EXPECT_EQ(text.ItemTextAnsi() == c.bytes, c.complete);
        EXPECT_LT(std::strlen(text.ItemTextAnsi()), 1024u);
        EXPECT_EQ(ReadItems(text, 1), Items{u"next"});
        EXPECT_TRUE(text.ItemAnsiComplete());
    }
    if (!ran) GTEST_SKIP() << "no case for ANSI code page " << AnsiCodePage();
}
}  // namespace
