// The text model as a list file meets it: which lines are content, what each line holds, how its
// items split, and that the ANSI text converts with the machine's code page.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemServices.h"
#include "text/CTextLine.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/PosixServices.h"
#endif

namespace {

// The platform's own services, except that debug output is recorded instead of sent.
class RecordingSystem : public SystemServices {
public:
    std::vector<WString> debugOutput;

    int AnsiToWide(const char* b, int n, WChar* o, int c) override {
        return native_.AnsiToWide(b, n, o, c);
    }
    int WideToAnsi(const WChar* u, int n, char* o, int c) override {
        return native_.WideToAnsi(u, n, o, c);
    }
    uint32_t GetAttributes(const WString& p) override { return native_.GetAttributes(p); }
    bool SetAttributes(const WString& p, uint32_t a) override { return native_.SetAttributes(p, a); }
    bool IsDirectory(const WString& p) override { return native_.IsDirectory(p); }
    bool MakeDirectory(const WString& p) override { return native_.MakeDirectory(p); }
    OpenForReadResult ProbeOpenForRead(const WString& p) override {
        return native_.ProbeOpenForRead(p);
    }
    bool IsRelativePath(const WString& p) override { return native_.IsRelativePath(p); }
    int DriveNumber(const WString& p) override { return native_.DriveNumber(p); }
    void AppendPath(WChar* b, const WString& m) override { native_.AppendPath(b, m); }
    void AddBackslashInPlace(WChar* b) override { native_.AddBackslashInPlace(b); }
    void StripPath(WChar* b) override { native_.StripPath(b); }
    void RemoveExtension(WChar* b) override { native_.RemoveExtension(b); }
    void RemoveFileSpec(WChar* b) override { native_.RemoveFileSpec(b); }
    std::optional<WString> ReadRegistryString(RegistryRoot r, const WString& k,
                                              const WString& v) override {
        return native_.ReadRegistryString(r, k, v);
    }
    std::optional<WString> ModulePath() override { return native_.ModulePath(); }
    void DebugOutput(const WString& text) override { debugOutput.push_back(text); }
    uint32_t LastError() override { return native_.LastError(); }
    std::optional<WString> SystemErrorText(uint32_t code) override {
        return native_.SystemErrorText(code);
    }
    void ShowMessage(WindowHandle o, const WString& t, const WChar* c, uint32_t f) override {
        native_.ShowMessage(o, t, c, f);
    }

private:
    SystemServices& native_ = NativeSystem();
};

// Stands for a double-byte code page in which every character takes two bytes, or for a
// conversion that fails outright. Like the system, it writes what fits and reports 0 when the
// whole text does not fit.
class WideAnsiSystem : public RecordingSystem {
public:
    bool failAll = false;

    int WideToAnsi(const WChar* units, int unitCount, char* out, int capacity) override {
        if (failAll) return 0;
        int written = 0;
        for (int i = 0; i < unitCount; ++i) {
            const int need = units[i] == 0 ? 1 : 2;
            for (int k = 0; k < need; ++k) {
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

// The content lines that the cursor visits, first to last.
std::vector<WString> ContentLines(CTextLine& text) {
    std::vector<WString> lines;
    if (text.LineLength() == 0) return lines;
    do {
        lines.emplace_back(text.LineText(), static_cast<size_t>(text.LineLength()));
    } while (text.NextLine());
    return lines;
}

std::optional<WString> NextItem(CTextLine& text) {
    if (text.NextItem() == nullptr) return std::nullopt;
    return WString(text.ItemText());
}

bool Load(CTextLine& text, const std::string& bytes) {
    return text.SetText(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

WString Repeat(WChar unit, size_t count) {
    return WString(count, unit);
}

struct LinesCase {
    const char* name;
    std::string bytes;
    bool accepted;
    int32_t lineCount;  // of the loaded text, blank and comment lines included
    std::vector<WString> content;
};

TEST(TextModel, ListTextGivesItsContentLines) {
    const std::vector<LinesCase> cases = {
        {"no bytes", "", false, 0, {}},
        {"only line ends", "\r\n\n\r\n", false, 0, {}},
        {"only comments", "// launch\r\n//\n//x", false, 0, {}},
        {"blank before a comment stays", "abc //note\r\nx", true, 2, {u"abc ", u"x"}},
        {"comment inside the text", "a//b", true, 1, {u"a"}},
        {"comment inside a path", "C:\\Data//Old\\x.dat", true, 1, {u"C:\\Data"}},
        {"comment line is skipped", "//c\r\nname\r\n", true, 2, {u"name"}},
        {"CR LF", "name\r\nnext\r\n", true, 2, {u"name", u"next"}},
        {"LF", "name\nnext\n", true, 2, {u"name", u"next"}},
        {"last line without a line end", "one\ntwo", true, 2, {u"one", u"two"}},
        {"LF at the end adds no line", "one\n", true, 1, {u"one"}},
        {"empty lines between", "one\n\n\r\ntwo\n", true, 4, {u"one", u"two"}},
        {"lone CR stays in the line", "a\rb\r\n", true, 1, {u"a\rb"}},
        {"CR before the comment stays", "a\r//b\n", true, 1, {u"a\r"}},
        {"spaces are content", "  \n x \n", true, 2, {u"  ", u" x "}},
        {"NUL byte ends the text", std::string("first\nsec\0ond\nthird", 19), true, 2,
         {u"first", u"sec"}},
        {"NUL byte first", std::string("\0name\n", 6), false, 0, {}},
    };
    for (const LinesCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTextLine text;
        ASSERT_EQ(Load(text, c.bytes), c.accepted);
        EXPECT_EQ(text.LineCount(), c.lineCount);
        EXPECT_EQ(ContentLines(text), c.content);
    }
}

TEST(TextModel, RefusedTextLeavesTheModelEmpty) {
    CTextLine text;
    ASSERT_TRUE(Load(text, "old\tlist\nsecond\n"));
    EXPECT_FALSE(Load(text, "//nothing but a comment\n"));
    EXPECT_EQ(text.LineCount(), 0);
    EXPECT_EQ(text.TextLength(), 0u);
    EXPECT_FALSE(text.FirstLine());
    EXPECT_FALSE(text.NextLine());
    EXPECT_FALSE(text.SetLine(0));
}

TEST(TextModel, InvalidSizeIsRefusedWithoutReadingTheBytes) {
    CTextLine text;
    ASSERT_TRUE(Load(text, "old\n"));
    const char bytes[4] = {'n', 'e', 'w', '\n'};
    EXPECT_FALSE(text.SetText(bytes, 0xFFFFFFFFu));
    EXPECT_EQ(text.LineCount(), 0);
    EXPECT_EQ(text.TextLength(), 0u);
}

TEST(TextModel, NewTextReplacesTheOld) {
    CTextLine text;
    ASSERT_TRUE(Load(text, "a\nb\nc\n"));
    ASSERT_TRUE(text.NextLine());
    ASSERT_TRUE(Load(text, "x\n"));
    EXPECT_EQ(text.LineIndex(), 0u);
    EXPECT_EQ(ContentLines(text), std::vector<WString>{u"x"});
}

TEST(TextModel, UtfSixteenInputEndsAtItsFirstNulByte) {
    // No byte-order mark is recognised: FF FE 'x' 00 'y' 00 is the ANSI text FF FE 'x'.
    CTextLine text;
    ASSERT_TRUE(Load(text, std::string("\xFF\xFEx\0y\0\r\0\n\0", 10)));
    EXPECT_EQ(text.LineCount(), 1);
    EXPECT_EQ(text.LineLength(), 3);
    EXPECT_EQ(text.LineText()[2], u'x');
}

TEST(TextModel, SetLineMovesBackAndRefusesIndexesBeyondTheEnd) {
    CTextLine text;
    ASSERT_TRUE(Load(text, "first\tA\n//\nthird\n"));
    ASSERT_TRUE(text.NextLine());
    EXPECT_EQ(text.LineIndex(), 2u);

    EXPECT_FALSE(text.SetLine(3));
    EXPECT_EQ(text.LineIndex(), 2u);
    EXPECT_EQ(WString(text.LineText()), u"third");

    EXPECT_FALSE(text.SetLine(1));  // a comment line: current, but with no content
    EXPECT_EQ(text.LineIndex(), 1u);
    EXPECT_EQ(text.LineLength(), 0);
    EXPECT_EQ(NextItem(text), std::nullopt);

    EXPECT_TRUE(text.FirstLine());
    EXPECT_EQ(NextItem(text), u"first");
    EXPECT_EQ(NextItem(text), u"A");
}

struct LongLineCase {
    const char* name;
    WString line;  // the second line of the text, with its line end unless it is the last
    bool reported;
    WString content;
};

TEST(TextModel, OverlongLinesAreReportedAndCut) {
    const WString x1021 = Repeat(u'x', 1021);
    const WString x1022 = Repeat(u'x', 1022);
    const WString x1023 = Repeat(u'x', 1023);
    const std::vector<LongLineCase> cases = {
        {"1021 and CR LF fit", x1021 + u"\r\n", false, x1021},
        {"1022 and LF fit", x1022 + u"\n", false, x1022},
        {"1023 at the end of the text fit", x1023, false, x1023},
        {"1023 and LF are cut", x1023 + u"\n", true, x1023},
        // The cut falls between CR and LF, so the CR stays in the content.
        {"1022 and CR LF keep the CR", x1022 + u"\r\n", true, x1022 + u"\r"},
        {"1100 are cut", Repeat(u'x', 1100) + u"\r\n", true, x1023},
        {"comment inside the kept part", Repeat(u'x', 1000) + u"//" + Repeat(u'y', 98), true,
         Repeat(u'x', 1000)},
        {"comment split by the cut", x1022 + u"//note\n", true, x1022 + u"/"},
    };
    for (const LongLineCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = "short\r\n";
        for (WChar unit : c.line) bytes += static_cast<char>(unit);
        if (c.line.back() == u'\n') bytes += "after\r\n";

        RecordingSystem system;
        ScopedSystemOverride use(system);
        CTextLine text;
        ASSERT_TRUE(Load(text, bytes));
        ASSERT_TRUE(text.NextLine());
        EXPECT_EQ(WString(text.LineText(), static_cast<size_t>(text.LineLength())), c.content);
        EXPECT_EQ(WString(text.LineText()), c.content);  // terminated right after the content
        const std::vector<WString> expected =
            c.reported ? std::vector<WString>{u"[CTextLine::SetLine]2行目の文字数が多すぎます。\r\n"}
                       : std::vector<WString>{};
        EXPECT_EQ(system.debugOutput, expected);
    }
}

struct ItemsCase {
    const char* name;
    const char* line;
    std::vector<std::optional<WString>> items;  // successive results, the last one null
};

TEST(TextModel, LineSplitsIntoItems) {
    const std::vector<ItemsCase> cases = {
        {"one item", "Data\\Table.dat", {u"Data\\Table.dat", std::nullopt}},
        {"TAB TAB is one separator", "a\t\tb", {u"a", u"b", std::nullopt}},
        {"leading TAB yields an empty item first", "\tname", {std::nullopt, u"name", std::nullopt}},
        {"leading TAB TAB yields one empty item", "\t\tname",
         {std::nullopt, u"name", std::nullopt}},
        {"trailing separators are swallowed", "a\tb\t\t", {u"a", u"b", std::nullopt}},
        {"lone CR separates", "a\rb", {u"a", u"b", std::nullopt}},
        {"CR TAB is one separator", "a\r\tb", {u"a", u"b", std::nullopt}},
        {"blanks are part of items", " a \t b ", {u" a ", u" b ", std::nullopt}},
        {"end of line stays the end", "a", {u"a", std::nullopt, std::nullopt}},
    };
    for (const ItemsCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTextLine text;
        ASSERT_TRUE(Load(text, std::string(c.line) + "\r\n"));
        for (const std::optional<WString>& expected : c.items) {
            const char* ansi = text.NextItem();
            ASSERT_EQ(ansi != nullptr, expected.has_value());
            if (!expected) continue;
            EXPECT_EQ(WString(text.ItemText()), *expected);
            EXPECT_TRUE(text.ItemAnsiComplete());
            EXPECT_EQ(WString(ansi, ansi + std::strlen(ansi)), *expected);  // ASCII only
        }
    }
}

TEST(TextModel, NextLineAtTheEndKeepsTheOldLine) {
    CTextLine text;
    ASSERT_TRUE(Load(text, "a\tb\tc"));
    EXPECT_EQ(NextItem(text), u"a");
    EXPECT_FALSE(text.NextLine());
    EXPECT_EQ(NextItem(text), u"b");
    EXPECT_EQ(NextItem(text), u"c");
    EXPECT_EQ(NextItem(text), std::nullopt);
}

TEST(TextModel, NextLineOverTrailingCommentsClearsTheLine) {
    CTextLine text;
    ASSERT_TRUE(Load(text, "a\tb\n// end\n\n"));
    EXPECT_EQ(NextItem(text), u"a");
    EXPECT_FALSE(text.NextLine());
    EXPECT_EQ(text.LineIndex(), 2u);
    EXPECT_EQ(NextItem(text), std::nullopt);
}

struct CodePageCase {
    int codePage;
    std::string bytes;
    WString content;
};

TEST(TextModel, TextConvertsWithTheAnsiCodePage) {
    const std::vector<CodePageCase> cases = {
        {1252, "caf\xE9 \x85 \x80", u"caf\u00E9 \u2026 \u20AC"},
        {1252, "\xEF\xBB\xBFname", u"\u00EF\u00BB\u00BFname"},  // a UTF-8 signature is text
        {932, "\x93\xFA\x96\x7B\\x", u"\u65E5\u672C\\x"},
    };
    bool ran = false;
    for (const CodePageCase& c : cases) {
        if (c.codePage != AnsiCodePage()) continue;
        ran = true;
        CTextLine text;
        ASSERT_TRUE(Load(text, c.bytes + "\tnext\r\n"));
        EXPECT_EQ(NextItem(text), c.content);
        // Back to the same bytes for the caller that reads the ANSI copy.
        EXPECT_EQ(std::string(text.ItemTextAnsi()), c.bytes);
        EXPECT_TRUE(text.ItemAnsiComplete());
    }
    if (!ran) GTEST_SKIP() << "no case for ANSI code page " << AnsiCodePage();
}

TEST(TextModel, DoubleByteItemTooLongForItsAnsiCopyIsIncomplete) {
    if (AnsiCodePage() != 932) GTEST_SKIP() << "needs ANSI code page 932";
    struct Case {
        size_t characters;
        bool complete;
    } cases[] = {{511, true}, {512, false}, {1023, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.characters);
        std::string bytes;
        for (size_t i = 0; i < c.characters; ++i) bytes += "\x93\xFA";
        CTextLine text;
        ASSERT_TRUE(Load(text, bytes));
        const char* ansi = text.NextItem();
        ASSERT_NE(ansi, nullptr);
        EXPECT_EQ(text.ItemAnsiComplete(), c.complete);
        EXPECT_LT(std::strlen(ansi), 1024u);
    }
}

TEST(TextModel, ItemAnsiCopyThatDoesNotFitIsIncompleteAndTerminated) {
    struct Case {
        const char* name;
        bool failAll;
        size_t units;
        bool complete;
    } cases[] = {
        {"two bytes each and the NUL fit", false, 511, true},
        {"the NUL does not fit", false, 512, false},
        {"far too long", false, 1000, false},
        {"conversion fails", true, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WideAnsiSystem system;
        system.failAll = c.failAll;
        ScopedSystemOverride use(system);
        CTextLine text;
        ASSERT_TRUE(Load(text, std::string(c.units, 'k') + "\tnext"));
        const char* ansi = text.NextItem();
        ASSERT_NE(ansi, nullptr);
        EXPECT_EQ(text.ItemAnsiComplete(), c.complete);
        EXPECT_LT(std::strlen(ansi), 1024u);
        EXPECT_EQ(WString(text.ItemText()), Repeat(u'k', c.units));
        // The next item starts over with a conversion of its own.
        ASSERT_NE(text.NextItem(), nullptr);
        EXPECT_EQ(text.ItemAnsiComplete(), !c.failAll);
    }
}

}  // namespace
