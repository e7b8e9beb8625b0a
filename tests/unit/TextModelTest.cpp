// The text model as a list file meets it: which lines are content, what each line holds, how its
// items split, and that the ANSI text converts with the machine's code page.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "support/RecordingServices.h"
#include "text/CTextLine.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/PosixServices.h"
#endif

namespace {
using Items = std::vector<std::optional<WString>>;  // successive NextItem results, null as none

// Stands for a double-byte code page in which every character takes two bytes, or for a
// conversion that fails outright. Like the system, it writes what fits and reports 0 when the
// whole text does not fit.
class WideAnsiSystem : public RecordingServices {
public:
    bool failAll = false;
    int WideToAnsi(const WChar* units, int unitCount, char* out, int capacity) override {
        int written = 0;
        for (int i = 0; i < unitCount && !failAll; ++i) {
            for (int k = 0; k < (units[i] == 0 ? 1 : 2); ++k) {
                if (written == capacity) return 0;
                out[written++] = units[i] == 0 ? '\0' : (k == 0 ? '\x82' : 'A');
            }
        }
        return written;
    }
};

int AnsiCodePage() {
#ifdef _WIN32
    return static_cast<int>(::GetACP());
#else
    return PosixSystem().AnsiCodePage();
#endif
}

bool Load(CTextLine& text, const std::string& bytes) {
    return text.SetText(bytes.data(), static_cast<uint32_t>(bytes.size()));
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
    while (items.size() < count) {
        const bool none = text.NextItem() == nullptr;
        items.push_back(none ? std::nullopt : std::optional<WString>(text.ItemText()));
    }
    return items;
}

TEST(TextModel, ListTextGivesItsContentLines) {
    const struct {
        std::string bytes;
        bool accepted;
        int32_t lineCount;  // of the loaded text, blank and comment lines included
        std::vector<WString> content;
    } cases[] = {
        {"", false, 0, {}},
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
        ASSERT_EQ(Load(text, c.bytes), c.accepted);
        EXPECT_EQ(text.LineCount(), c.lineCount);
        EXPECT_EQ(ContentLines(text), c.content);
    }
}

// A failed size query gives all 32 bits set: refused without reading the bytes.
TEST(TextModel, InvalidSizeIsRefused) {
    CTextLine text;
    EXPECT_FALSE(text.SetText("new\n", 0xFFFFFFFFu));
    EXPECT_EQ(text.LineCount(), 0);
}

TEST(TextModel, CursorStaysOnTheLastContentLine) {
    const struct {
        const char* bytes;
        Items after;  // the items read after "a" and a failed NextLine
    } cases[] = {
        {"a\tb\tc", {u"b", u"c", std::nullopt}},
        // Trailing comment lines are visited and leave an empty line current.
        {"a\tb\n// end\n\n", {std::nullopt}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        CTextLine text;
        ASSERT_TRUE(Load(text, c.bytes));
        EXPECT_EQ(ReadItems(text, 1), Items{u"a"});
        EXPECT_FALSE(text.NextLine());
        EXPECT_EQ(ReadItems(text, c.after.size()), c.after);
    }
}

TEST(TextModel, OverlongLinesAreReportedAndCut) {
    const WString x1022(1022, u'x');
    const struct {
        WString line;  // the second line of the text
        bool reported;
        WString content;
    } cases[] = {
        {x1022 + u"\n", false, x1022},
        {x1022 + u"x\n", true, x1022 + u"x"},
        // The cut falls between CR and LF, so the CR stays in the content.
        {x1022 + u"\r\n", true, x1022 + u"\r"},
        // The cut comes first, so a comment it splits is no comment.
        {x1022 + u"//note\n", true, x1022 + u"/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.size());
        std::string bytes = "short\r\n";
        for (WChar unit : c.line) bytes += static_cast<char>(unit);
        bytes += "after\r\n";

        RecordingServices system;
        ScopedSystemOverride use(system);
        CTextLine text;
        ASSERT_TRUE(Load(text, bytes));
        ASSERT_TRUE(text.NextLine());
        EXPECT_EQ(WString(text.LineText()), c.content);  // terminated right after the content
        EXPECT_EQ(text.LineLength(), static_cast<int32_t>(c.content.size()));
        EXPECT_EQ(system.debugOutput,
                  c.reported ? std::vector<WString>{u"[CTextLine::SetLine]2行目の文字数が多すぎます。\r\n"}
                             : std::vector<WString>{});
    }
}

TEST(TextModel, LineSplitsIntoItems) {
    const struct {
        const char* line;
        Items items;
    } cases[] = {
        // Runs of separators count as one, those that end the line as none; the end stays.
        {"a\t\tb\t\t", {u"a", u"b", std::nullopt, std::nullopt}},
        {"\tname", {std::nullopt, u"name", std::nullopt}},
        // Blanks belong to the items; a CR separates like a TAB.
        {" a \r\tb\rc", {u" a ", u"b", u"c", std::nullopt}},
    };
    for (const auto& c : cases) {
        CTextLine text;
        ASSERT_TRUE(Load(text, std::string(c.line) + "\r\n"));
        EXPECT_EQ(ReadItems(text, c.items.size()), c.items) << c.line;
    }
}

TEST(TextModel, TextConvertsWithTheAnsiCodePage) {
    const struct {
        int codePage;
        std::string bytes;
        WString content;
    } cases[] = {
        {1252, "caf\xE9 \x85 \x80", u"caf\u00E9 \u2026 \u20AC"},
        {1252, "\xEF\xBB\xBFname", u"\u00EF\u00BB\u00BFname"},  // a UTF-8 signature is text
        {932, "\x93\xFA\x96\x7B\\x", u"\u65E5\u672C\\x"},
    };
    bool ran = false;
    for (const auto& c : cases) {
        if (c.codePage != AnsiCodePage()) continue;
        ran = true;
        CTextLine text;
        ASSERT_TRUE(Load(text, c.bytes + "\tnext\r\n"));
        EXPECT_EQ(ReadItems(text, 1), Items{c.content});
        // Back to the same bytes for the caller that reads the ANSI copy.
        EXPECT_EQ(std::string(text.ItemTextAnsi()), c.bytes);
        EXPECT_TRUE(text.ItemAnsiComplete());
    }
    if (!ran) GTEST_SKIP() << "no case for ANSI code page " << AnsiCodePage();
}

TEST(TextModel, DoubleByteItemTooLongForItsAnsiCopyIsIncomplete) {
    if (AnsiCodePage() != 932) GTEST_SKIP() << "needs ANSI code page 932";
    for (const size_t characters : {511u, 512u}) {
        std::string bytes;
        for (size_t i = 0; i < characters; ++i) bytes += "\x93\xFA";
        CTextLine text;
        ASSERT_TRUE(Load(text, bytes));
        ASSERT_NE(text.NextItem(), nullptr);
        EXPECT_EQ(text.ItemAnsiComplete(), characters == 511) << characters;
        EXPECT_LT(std::strlen(text.ItemTextAnsi()), 1024u);
    }
}

TEST(TextModel, ItemAnsiCopyThatDoesNotFitIsIncompleteAndTerminated) {
    const struct {
        bool failAll;
        size_t units;
        bool complete;
    } cases[] = {{false, 511, true}, {false, 512, false}, {true, 3, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.units);
        WideAnsiSystem system;
        system.failAll = c.failAll;
        ScopedSystemOverride use(system);
        CTextLine text;
        ASSERT_TRUE(Load(text, std::string(c.units, 'k') + "\tnext"));
        ASSERT_NE(text.NextItem(), nullptr);
        EXPECT_EQ(text.ItemAnsiComplete(), c.complete);
        EXPECT_LT(std::strlen(text.ItemTextAnsi()), 1024u);
        EXPECT_EQ(WString(text.ItemText()), WString(c.units, u'k'));
        // The next item starts over with a conversion of its own.
        ASSERT_NE(text.NextItem(), nullptr);
        EXPECT_EQ(text.ItemAnsiComplete(), !c.failAll);
    }
}
}  // namespace
