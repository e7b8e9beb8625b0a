// Each trap a package author falls into, as a small list and the findings on its lines; a clean
// list gives none. Runs over real files: natively, and under Wine with the Win32 services.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "check/ListLint.h"
#include "support/TempFolder.h"

// The system drops blanks at the end of a file name: on Windows such a file is found.
#ifdef _WIN32
#define POSIX_ONLY(...)
#else
#define POSIX_ONLY(...) , __VA_ARGS__
#endif

namespace {
using Lines = std::vector<std::string>;

// The package every row starts from: the launch document, A\one.bin and A\Data\two.bin.
const std::string kLaunch = "[Readme]Readme.txt";
Lines Section(const std::string& key = "Software\\NorvaneCheckTest\\A",
              const std::string& condition = "None", const std::string& action = "0",
              const std::string& source = "%Root%\\A\\") {
    return {"[SetParamter]", key, condition, action, "A is not installed.", source};
}

Lines Parameters() {
    Lines lines = Section();
    lines.erase(lines.begin());
    return lines;
}

Lines Join(std::initializer_list<Lines> parts) {
    Lines lines;
    for (const Lines& part : parts) lines.insert(lines.end(), part.begin(), part.end());
    return lines;
}

struct Expected {
    uint32_t line;
    Severity severity;
    std::string words;  // a part of the finding's text that names the trap
};

struct LintCase {
    const char* name;
    Lines lines;  // joined with CR LF
    std::vector<Expected> findings;
    std::string prefix = "";  // bytes before the first line
};

void PrintTo(const LintCase& c, std::ostream* out) {
    *out << c.name;
}

const Expected W(uint32_t line, const std::string& words) {
    return {line, Severity::Warning, words};
}
const Expected E(uint32_t line, const std::string& words) {
    return {line, Severity::Error, words};
}

class Lint : public ::testing::TestWithParam<LintCase> {};

TEST_P(Lint, FindsEachTrapOnItsLine) {
    const LintCase& c = GetParam();
    TempFolder package;
    package.WriteFile(u"Readme.txt", "read me");
    package.WriteFile(u"A\\one.bin", "1");
    package.WriteFile(u"A\\Data\\two.bin", "22");
    std::string bytes = c.prefix;
    for (const std::string& line : c.lines) bytes += line + "\r\n";

    const Findings findings = LintList(bytes, package.Path()).findings;

    ASSERT_EQ(findings.size(), c.findings.size()) << [&] {
        std::string all;
        for (const Finding& f : findings)
            all += std::to_string(f.line) + ": " + Narrow(f.text) + "\n";
        return all;
    }();
    for (size_t i = 0; i < findings.size(); ++i) {
        EXPECT_EQ(findings[i].line, c.findings[i].line) << Narrow(findings[i].text);
        EXPECT_EQ(findings[i].severity, c.findings[i].severity) << Narrow(findings[i].text);
        EXPECT_NE(Narrow(findings[i].text).find(c.findings[i].words), std::string::npos)
            << Narrow(findings[i].text);
    }
}

const std::string kLong(1100, 'x');

const LintCase kCases[] = {
    {"CleanListHasNoFinding",
     Join({{kLaunch, "// product A"}, Section(), {"", "one.bin", "Data\\two.bin\t// tab first"}}),
     {}},

    // Headers the tool does not take as headers: the misspelt section's lines become file
    // lines of the section before.
    {"BlankBeforeCommentAfterHeader",
     Join({{kLaunch}, Section(), {"one.bin", "[SetParamter] // B"}, Parameters(), {"one.bin"}}),
     {W(9, "is no section header")}},
    {"EnglishSpelling",
     Join({{kLaunch}, Section(), {"one.bin", "[SetParameter]"}}),
     {W(9, "is no section header")}},
    {"OtherCase",
     Join({{kLaunch}, Section(), {"one.bin", "[setparamter]"}}),
     {W(9, "is no section header")}},
    {"FirstContentLineIsTheLaunchLine",
     Join({Section(), {"one.bin"}}),
     {W(1, "not read as a section header"), W(2, "before the first section header"), W(3, "before"),
      W(4, "before"), W(5, "before"), W(6, "before"), W(7, "before"), E(7, "no file to copy")}},
    {"FileLineBeforeTheFirstHeader",
     Join({{kLaunch, "one.bin"}, Section(), {"one.bin"}}),
     {W(2, "the tool skips it")}},

    // Parameter lines.
    {"CommentAfterTheRegistryKey",
     Join({{kLaunch}, Section("Software\\NorvaneCheckTest\\A  // product A"), {"one.bin"}}),
     {W(3, "part of the registry key \"Software\\NorvaneCheckTest\\A  \": the key is looked up")}},
    {"KeyWithHive",
     Join({{kLaunch}, Section("HKEY_LOCAL_MACHINE\\Software\\A"), {"one.bin"}}),
     {W(3, "names a hive")}},
    {"KeyLineBeginsWithATab",
     Join({{kLaunch}, Section("\tSoftware\\A"), {"one.bin"}}),
     {W(3, "registry key line begins with a TAB")}},
    {"BlankAfterAComma",
     Join({{kLaunch}, Section("K", "0, one.bin"), {"one.bin"}}),
     {W(4, "name \" one.bin\" is looked for")}},
    {"NoneWithACommentAfterBlanks",
     Join({{kLaunch}, Section("K", "None // always"), {"one.bin"}}),
     {W(4, "it is not \"None\"")}},
    {"NoneInLowerCase",
     Join({{kLaunch}, Section("K", "none"), {"one.bin"}}),
     {W(4, "neither \"None\" nor a mode number"), W(4, "never applies")}},
    {"ActionIsNoNumber",
     Join({{kLaunch}, Section("K", "None", "two"), {"one.bin"}}),
     {W(5, "is no number")}},
    {"CommentAfterTheSourceLine",
     Join({{kLaunch}, Section("K", "None", "0", "%Root%\\A\\  // A's files"), {"one.bin"}}),
     {W(7, "source folder \"%Root%\\A\\  \""),
      E(8, "cannot open the source file \"A\\  one.bin\"")}},
    {"SourceFolderWithoutBackslash",
     Join({{kLaunch}, Section("K", "None", "0", "%Root%\\A"), {"one.bin"}}),
     {W(7, "does not end in a backslash"), E(8, "\"Aone.bin\"")}},
    {"SourceLineNotBeginningWithTheMarker",
     Join({{kLaunch}, Section("K", "None", "0", "x%Root%\\A\\"), {"one.bin"}}),
     {W(7, "leaving the folder \"\\A\\\"")}},
    {"SourceLineWithoutTheMarker",
     Join({{kLaunch}, Section("K", "None", "0", "A\\"), {"one.bin"}}),
     {E(7, "Directory setting is not valid.")}},
    {"MessageLineLeftOut",
     Join(
         {{kLaunch, "[SetParamter]", "K", "None", "1", "%Root%\\A\\", "one.bin", "Data\\two.bin"}}),
     {E(7, "line 6, read as the message line, holds it")}},
    {"SectionCutShortByTheFile'sEnd",
     {kLaunch, "[SetParamter]", "K", "None"},
     {E(2, "the file ends before its action line"), E(4, "no file to copy")}},
    {"SectionCutShortByTheNextHeader",
     Join({{kLaunch, "[SetParamter]", "K", "None", "0"}, Section(), {"one.bin"}}),
     {E(6, "\"[SetParamter]\" stands where its message line belongs"),
      E(7, "Directory setting is not valid.")}},

    // File lines.
    {"MissingSourceFile",
     Join({{kLaunch}, Section(), {"one.bin", "gone.bin"}}),
     {E(9, "cannot open the source file \"A\\gone.bin\"")}},
    {"BlanksBeforeACommentOnAFileLine",
     Join({{kLaunch}, Section(), {"one.bin  // first"}}),
     {W(8, "part of the file name \"one.bin  \"") POSIX_ONLY(E(8, "cannot open"))}},
    {"FileLineBeginsWithATab",
     Join({{kLaunch}, Section(), {"one.bin", "\tData\\two.bin"}}),
     {E(9, "begins with a TAB: the tool stops here with \"Line 9 of 'Update.up' begins with a "
           "separator.\"")}},
    {"ParentSegmentInAFileLine",
     Join({{kLaunch}, Section(), {"..\\A\\one.bin"}}),
     {W(8, "reaches outside the product's folder")}},
    {"SourcePathOf260",
     Join({{kLaunch}, Section(), {std::string(300, 'n')}}),
     {E(8, "characters long: the tool stops with \"Path error\"")}},
    {"NoFileAtAll", {kLaunch, "// nothing yet"}, {E(2, "There is no file to copy.")}},
    {"NoContentLine", {"// only a comment"}, {E(1, "Cannot find 'Update.up'.")}},

    // Actions.
    {"SectionsAfterAnAction2Section",
     Join({{kLaunch}, Section("K", "None", "2"), {"one.bin"}, Section(), {"Data\\two.bin"}}),
     {W(9, "not read when the section at line 2 applies (action 2)")}},
    {"Action2AfterOtherSections",
     Join({{kLaunch}, Section(), {"one.bin"}, Section("K", "None", "2"), {"Data\\two.bin"}}),
     {W(12, "the sections before it, from line 2, still copy")}},

    // The launch line.
    {"LaunchDocumentMissing",
     Join({{"[Readme]Gone.txt"}, Section(), {"one.bin"}}),
     {W(1, "\"Gone.txt\" does not exist")}},
    {"ParentSegmentInTheLaunchLine",
     Join({{"[Readme]A\\..\\Readme.txt"}, Section(), {"one.bin"}}),
     {W(1, "reaches outside the package folder")}},

    // The file as a whole.
    {"Utf8Signature",
     Join({{kLaunch}, Section(), {"one.bin"}}),
     {W(1, "UTF-8 signature")},
     "\xEF\xBB\xBF"},
    {"Utf16Signature",
     {},
     {W(1, "UTF-16"), E(1, "no file to copy")},
     std::string("\xFF\xFE[\0R\0]\0", 8)},
    {"NulByte",
     Join({{kLaunch}, Section(), {"one.bin", std::string("x\0y", 3)}}),
     {W(9, "NUL byte"), E(9, "\"A\\x\"")}},
    {"LineOver1023Units",
     Join({{kLaunch}, Section(), {"one.bin", "// " + kLong}}),
     {E(9, "1103 characters long")}},
};

INSTANTIATE_TEST_SUITE_P(Table, Lint, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.name;
    name.erase(std::remove(name.begin(), name.end(), '\''), name.end());
    return name;
});

// The tool lists at most 2048 files: one section with more stops it wherever it is.
TEST(LintLimit, MoreThan2048FilesInOneSection) {
    TempFolder package;
    package.WriteFile(u"A\\one.bin", "1");
    std::string bytes = "[x]\r\n[SetParamter]\r\nK\r\nNone\r\n0\r\nm\r\n%Root%\\A\\\r\n";
    for (int i = 0; i < 2049; ++i) bytes += "one.bin\r\n";

    const Findings findings = LintList(bytes, package.Path()).findings;

    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].line, 7u + 2049);
    EXPECT_EQ(findings[0].severity, Severity::Error);
}
}  // namespace
