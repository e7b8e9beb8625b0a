// The checker's tables, over real files natively and under Wine: each trap a package author falls
// into, as a small list and the findings on its lines; then dry runs of the demo package, where the
// tool's own preparation decides and the checker reports what it decided and would copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "check/CheckOptions.h"
#include "check/DryRun.h"
#include "check/ListLint.h"
#include "check/ReadWholeFile.h"
#include "check/ValueText.h"
#include "support/ListText.h"
#include "support/TempFolder.h"

// Notes of a case-sensitive system, where Windows finds a name whatever its letter case; the
// verdicts (errors and warnings) are the same on both systems. The registry, which only Windows
// has.
#ifdef _WIN32
#define POSIX_ONLY(...)
const char kNoInstallDir[] =
    "under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE, 32-bit view, nor from --installdir";
#else
#define POSIX_ONLY(...) __VA_ARGS__,
const char kNoInstallDir[] = "this system has no registry, so only --installdir answers";
#endif

namespace {
// Findings as the tables expect them: on their lines, of their severity, with the words that name
// the trap; every finding is printed when they differ.
struct Expected {
    uint32_t line;
    Severity severity;
    std::string words;
};
Expected N(uint32_t line, const std::string& w) {
    return {line, Severity::Note, w};
}
Expected W(uint32_t line, const std::string& w) {
    return {line, Severity::Warning, w};
}
Expected E(uint32_t line, const std::string& w) {
    return {line, Severity::Error, w};
}

void ExpectFindings(const Findings& found, const std::vector<Expected>& expected) {
    std::string all;
    for (const Finding& f : found) all += std::to_string(f.line) + ": " + Narrow(f.text) + "\n";
    ASSERT_EQ(found.size(), expected.size()) << all;
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].line, expected[i].line) << all;
        EXPECT_EQ(found[i].severity, expected[i].severity) << all;
        EXPECT_NE(Narrow(found[i].text).find(expected[i].words), std::string::npos) << all;
    }
}

// ---------------------------------------------------------------------------------------------
// The package every row starts from: the launch document, A\one.bin and A\Data\two.bin. A row's
// lines follow the launch line unless it sets the bytes before them.
const std::string kLaunch = "[Readme]Readme.txt";

struct LintCase {
    const char* name;
    ListText list;
    std::vector<Expected> findings;
    std::string before = kLaunch + "\r\n";
    bool withTool = true;                 // Norvane.exe lies beside the list
    std::vector<std::string> files = {};  // more files in A\, by the names Windows takes
};
void PrintTo(const LintCase& c, std::ostream* out) {
    *out << c.name;
}

class Lint : public ::testing::TestWithParam<LintCase> {};

TEST_P(Lint, FindsEachTrapOnItsLine) {
    const LintCase& c = GetParam();
    TempFolder package;
    package.WriteFile(u"Readme.txt", "read me");
    package.WriteFile(u"A\\one.bin", "1");
    package.WriteFile(u"A\\Data\\two.bin", "22");
    if (c.withTool) package.WriteFile(u"Norvane.exe", "MZ");
    for (const std::string& name : c.files) package.WriteFile(u"A\\" + Wide(name), "x");

    ExpectFindings(LintList(c.before + c.list.Bytes(), package.Path()).findings, c.findings);
}

// clang-format off
const LintCase kTraps[] = {
    {"CleanListHasNoFinding",
     {{"// product A"}, Section(), {"", "one.bin", "Data\\two.bin\t// tab first"}}, {}},

    // Headers the tool does not take as headers: the misspelt section's lines become file
    // lines of the section before.
    {"BlankBeforeCommentAfterHeader",
     {Section(), {"one.bin", "[SetParamter] // B", "A", "None", "0", "m", "%Root%\\A\\"},
      {"one.bin"}}, {W(9, "is no section header")}},
    {"MisspeltAndMiscasedHeader", {Section(), {"one.bin", "[SETPARAMETER]"}},
     {W(9, "is no section header")}},
    {"FirstContentLineIsTheLaunchLine", {Section(), {"one.bin"}},
     {W(1, "not read as a section header"), W(2, "before the first section header"), W(3, "before"),
      W(4, "before"), W(5, "before"), W(6, "before"), W(7, "before"), E(7, "no file to copy")}, ""},
    {"FileLineBeforeTheFirstHeader", {{"one.bin"}, Section(), {"one.bin"}},
     {W(2, "the tool skips it")}},

    // Parameter lines.
    {"CommentAfterTheRegistryKey",
     {Section("Software\\NorvaneCheckTest\\A  // product A"), {"one.bin"}},
     {W(3, "part of the registry key \"Software\\NorvaneCheckTest\\A  \": the key is looked up")}},
    // Registry keys as the tool reads them: the hive its own, "\\" alone separating, the value
    // read from the key itself.
    {"KeyWithHive", {Section("HKEY_LOCAL_MACHINE\\Software\\A"), {"one.bin"}},
     {E(3, "names a hive: the tool looks the key up under HKEY_CURRENT_USER, then "
           "HKEY_LOCAL_MACHINE itself, and finds no key of that name below them; write "
           "\"Software\\A\"")}},
    {"KeyAsTheRegistryEditorShowsIt",
     {Section("Computer\\HKEY_CURRENT_USER\\Software\\Vendor\\Reports"), {"one.bin"}},
     {E(3, "names a hive: the tool looks the key up under HKEY_CURRENT_USER, then "
           "HKEY_LOCAL_MACHINE itself, and finds no key of that name below them; write "
           "\"Software\\Vendor\\Reports\"")}},
    {"KeyBeginsWithABackslash", {Section("\\Software\\Vendor"), {"one.bin"}},
     {E(3, "begins with a backslash")}},
    {"KeySeparatedWithSlashes", {Section("Software/Vendor/Reports"), {"one.bin"}},
     {E(3, "separates with \"/\"")}},
    {"TabInsideTheKey", {Section("Software\\Vendor\tReports"), {"one.bin"}},
     {E(3, "a TAB inside the registry key: the tool reads only \"Software\\Vendor\"")}},
    {"TabAndCommentAfterTheKey", {Section("Software\\Vendor\t// Reports"), {"one.bin"}}, {}},
    {"ValueNameAppendedToTheKey", {Section("Software\\Vendor\\Reports\\INSTALLDIR"), {"one.bin"}},
     {E(3, "ends with the value's name")}},
    {"KeyNamingThe32BitView", {Section("Software\\WOW6432Node\\Vendor\\Reports"), {"one.bin"}},
     {W(3, "names WOW6432Node: the tool is a 32-bit program")}},
    {"KeyEndingInABackslash", {Section("Software\\Vendor\\Reports\\"), {"one.bin"}}, {}},
    {"KeyLineBeginsWithATab", {Section("\tSoftware\\A"), {"one.bin"}},
     {W(3, "registry key line begins with a TAB")}},
    {"BlankAfterAComma", {Section("K", "0, one.bin"), {"one.bin"}},
     {W(4, "name \" one.bin\" is looked for")}},
    {"NoneWithACommentAfterBlanks", {Section("K", "None // always"), {"one.bin"}},
     {W(4, "it is not \"None\"")}},
    {"NoneInLowerCase", {Section("K", "none"), {"one.bin"}},
     {W(4, "neither \"None\" nor a mode number"), W(4, "never applies")}},
    {"ActionIsNoNumber", {Section("K", "None", "two"), {"one.bin"}}, {W(5, "is no number")}},
    {"CommentAfterTheSourceLine",
     {Section("K", "None", "0", "m", "%Root%\\A\\  // A's files"), {"one.bin"}},
     {W(7, "source folder \"%Root%\\A\\  \""),
      E(8, "cannot open the source file \"A\\  one.bin\"")}},
    {"SourceFolderWithoutBackslash", {Section("K", "None", "0", "m", "%Root%\\A"), {"one.bin"}},
     {W(7, "does not end in a backslash"), E(8, "\"Aone.bin\"")}},
    {"SourceLineNotBeginningWithTheMarker",
     {Section("K", "None", "0", "m", "x%Root%\\A\\"), {"one.bin"}},
     {W(7, "leaving the folder \"\\A\\\"")}},
    {"MessageLineLeftOut",
     {{"[SetParamter]", "K", "None", "1", "%Root%\\A\\", "one.bin", "Data\\two.bin"}},
     {E(7, "line 6, read as the message line, holds it")}},
    {"SectionCutShortByTheFilesEnd", {{"[SetParamter]", "K", "None"}},
     {E(2, "the file ends before its action line"), E(4, "no file to copy")}},
    {"SectionCutShortByTheNextHeader",
     {{"[SetParamter]", "K", "None", "0"}, Section(), {"one.bin"}},
     {E(6, "\"[SetParamter]\" stands where its message line belongs"),
      E(7, "Directory setting is not valid.")}},

    // File lines.
    {"MissingSourceFile", {Section(), {"one.bin", "gone.bin"}},
     {E(9, "cannot open the source file \"A\\gone.bin\"")}},
    {"BlanksBeforeACommentOnAFileLine", {Section(), {"one.bin  // first"}},
     {N(8, "blanks before the comment end the file name \"one.bin  \": Windows drops")}},
    {"DotAtTheEndOfAFileName", {Section(), {"one.bin."}}, {N(8, "the tool reads \"one.bin\"")}},
    {"FileNameInOtherCase", {Section(), {"ONE.BIN"}},
     {POSIX_ONLY(N(8, "only as \"A\\one.bin\": Windows, whose file names ignore letter case"))}},
    {"FileListedTwice", {Section(), {"Data\\two.bin", "one.bin", "Data/two.bin"}},
     {W(10, "listed twice in this section (first on line 8)")}},
    {"SameFileFromTwoSectionsOfOneKey", {Section(), {"one.bin"}, Section(), {"one.bin"}},
     {W(15, "goes where line 8 already sends it")}},
    {"SameFileFromTwoKeys", {Section("A"), {"one.bin"}, Section("B"), {"one.bin"}}, {}},
    {"SectionWithoutFiles", {Section(), Section("B"), {"one.bin"}}, {W(2, "it does nothing")}},
    {"RequiredProductCheckWithoutFiles", {Section("K", "None", "1"), Section("B"), {"one.bin"}}, {}},
    {"NoToolBesideTheList", {Section(), {"one.bin"}}, {W(1, "Norvane.exe is not in the package")},
     kLaunch + "\r\n", false},
    {"FileLineBeginsWithATab", {Section(), {"one.bin", "\tData\\two.bin"}},
     {E(9, "begins with a TAB: the tool stops here with \"Line 9 of 'Update.up' begins with a "
           "separator.\"")}},
    {"ParentSegmentInAFileLine", {Section(), {"..\\A\\one.bin"}},
     {W(8, "reaches outside the product's folder")}},
    {"SourcePathOf260", {Section(), {std::string(300, 'n')}},
     {E(8, "characters long: the tool stops with \"Path error\"")}},
    {"LongFileLineLeavesLittleRoom", {Section(), {"one.bin", std::string(180, 'r')}},
     {N(9, "leaves room for an INSTALLDIR of at most 79 characters")}, kLaunch + "\r\n", true,
     {std::string(180, 'r')}},
    {"FolderAsAFileLine", {Section(), {"Data"}}, {E(8, "names a folder of the package")}},

    // Windows' rules for names, the same on every system.
    {"SlashesSeparate", {Section(), {"Data/two.bin"}}, {}},
    {"DoubledSeparator", {Section(), {"Data\\\\two.bin"}},
     {E(8, "cannot be written on Windows: two separators in a row")}},
    {"CharacterWindowsRefuses", {Section(), {"What's new?.txt"}},
     {E(8, "\"What's new?.txt\" cannot be written on Windows: \"?\" is a character Windows "
           "refuses in a name")}},
    {"CharacterWindowsTakes", {Section(), {"What's new!.txt"}}, {}, kLaunch + "\r\n", true,
     {"What's new!.txt"}},
    {"NameOfAStream", {Section(), {"Summary:2025.rpt"}},
     {E(8, "would name the stream \"2025.rpt\" of \"Summary\"")}},
    {"DeviceNames", {Section(), {"PRN.rpt", "Data\\aux"}},
     {E(8, "\"PRN.rpt\" names the device PRN"), E(9, "\"aux\" names the device AUX")}},
    {"NamesLikeADevice", {Section(), {"PRN1.rpt"}}, {}, kLaunch + "\r\n", true, {"PRN1.rpt"}},
    {"ControlCharacterAtTheEnd", {Section(), {"one.bin", "\x1A"}},
     {E(9, "\"<U+001A>\" cannot be written on Windows: \"U+001A\" is a character")}},
    {"NoBreakSpaceInAName", {Section(), {"one\xA0.bin"}},
     {E(8, "cannot open the source file \"A\\one<U+00A0>.bin\"")}},
    {"MissingSourceNamesTheClosest", {Section(), {"Data\\tow.bin"}},
     {E(8, "The closest there: \"A\\Data\\two.bin\"")}},
    {"MoreThan2048FilesInOneSection", {Section(), Lines(2049, "one.bin")},
     {W(9, "listed twice"), E(7 + 2049, "more than 2048 files in one section")}},
    {"NoContentLine", {{"// only a comment"}}, {E(1, "Cannot find 'Update.up'.")}, ""},

    // Actions.
    {"ExclusiveSectionFirst",
     {Section("K", "None", "2"), {"one.bin"}, Section(), {"Data\\two.bin"}}, {}},
    {"ExclusiveSectionLast",
     {Section(), {"one.bin"}, Section("K", "None", "2"), {"Data\\two.bin"}},
     {W(12, "stops nothing: no section follows it, and the section at line 2 still copies")}},
    {"ActionBeyondTwo", {Section("K", "None", "257"), {"one.bin"}}, {W(5, "acts as 1 (required)")}},
    {"ActionWithAComment", {Section("K", "None", "1  // must be there"), {"one.bin"}}, {}},
    {"ConditionAndActionSwapped", {Section("K", "1", "1,one.bin"), {"one.bin"}},
     {E(5, "look swapped: the tool reads the condition first")}},
    {"BlankRequiredMessage", {Section("K", "None", "1", "   "), {"one.bin"}},
     {E(6, "is blank: where the product is missing, the tool stops with an empty box")}},
    {"RequiredMessage", {Section("K", "None", "1", "B is missing."), {"one.bin"}}, {}},
    {"WildcardInACondition", {Section("K", "0,*.exe"), {"one.bin"}}, {E(4, "is a wildcard")}},
    {"ConditionMode2", {Section("K", "2,one.bin"), {"one.bin"}}, {W(4, "mode 2 acts as mode 1")}},
    {"SourceLineOfTheRootWithOneFolder",
     {Section("K", "None", "0", "m", "%Root%\\"), {"A\\one.bin", "A\\Data\\two.bin"}},
     {W(7, "every file line begins with \"A\\\": the files land in \"A\\\" below INSTALLDIR "
           "too; where they belong in INSTALLDIR itself, write the source line \"%Root%\\A\\\"")}},
    {"SourceLineOfTheRootWithTwoFolders",
     {Section("K", "None", "0", "m", "%Root%\\"), {"A\\one.bin", "Readme.txt"}}, {}},
    {"ConditionWithSemicolons", {Section("K", "1;one.bin"), {"one.bin"}},
     {W(4, "splits a condition only at commas, so it reads mode 1 with no names")}},
    {"ConditionWithCommas", {Section("K", "1,one.bin"), {"one.bin"}}, {}},
    {"ConditionWithACommentAfterBlanks", {Section("K", "1,one.bin  // needed"), {"one.bin"}}, {}},
    {"AddressInARequiredMessage", {Section("K", "None", "1", "See http://example.com"), {"one.bin"}},
     {W(6, "the box shows only \"See http:\"")}},
    {"CommentAfterARequiredMessage", {Section("K", "None", "1", "Not there. // note"), {"one.bin"}},
     {}},

    // The launch line.
    {"LaunchDocumentMissing", {{"[Readme]Gone.txt"}, Section(), {"one.bin"}},
     {W(1, "\"Gone.txt\" does not exist")}, ""},
    {"WebAddressAsTheLaunchLine", {{"[Readme]https://example.com/notes"}, Section(), {"one.bin"}},
     {W(1, "\"//\" starts a comment, also in a web address: the launch line is cut to "
           "\"[Readme]https:\"")}, ""},
    {"ParentSegmentInTheLaunchLine", {{"[Readme]A\\..\\Readme.txt"}, Section(), {"one.bin"}},
     {W(1, "reaches outside the package folder")}, ""},

    // The file as a whole.
    {"Utf8Signature", {{kLaunch}, Section(), {"one.bin"}}, {W(1, "UTF-8 signature")},
     "\xEF\xBB\xBF"},
    {"Utf16Signature", {}, {E(1, "the tool stops with \"'Update.up' is saved as UTF-16")},
     std::string("\xFF\xFE[\0R\0]\0", 8)},
    {"NulByte", {Section(), {"one.bin", std::string("x\0y", 3)}},
     {E(9, "the tool stops with \"Line 9 of 'Update.up' holds a NUL byte")}},
    {"IndentedList",
     {{"    [SetParamter]", "    A", "    None", "    0", "    m", "    %Root%\\A\\",
       "    one.bin"}},
     {E(2, "leading blanks on lines 2-8: the tool keeps them")}},
    {"LoneCarriageReturns", {Section(), {"one.bin\rData\\two.bin\r// note"}},
     {W(8, "lone carriage return (a CR without LF, as old Mac editors end lines): the tool ends "
           "lines only at LF and reads only this line's first item, so it ignores "
           "\"Data\\two.bin\"")}},
    {"Utf8WithoutSignature", {Section("K", "None", "1", "Donn\xC3\xA9" "es"), {"one.bin"}},
     {W(6, "UTF-8 without a signature: the tool reads ANSI text in code page")}},
    {"AnsiText", {Section("K", "None", "1", "Donn\xE9" "es"), {"one.bin"}}, {}},
    {"CommentOver1023Units", {Section(), {"one.bin", "// " + std::string(1100, 'x')}}, {}},
    {"MessageOver1023Units", {Section("K", "None", "1", std::string(1100, 'x')), {"one.bin"}},
     {W(6, "1100 characters long and the tool reads only its first 1023: the item it uses "
           "loses its end \"xxx")}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, Lint, ::testing::ValuesIn(kTraps),
                         [](const auto& info) { return std::string(info.param.name); });

// What a finding shows of a name: what cannot be seen, or looks like something else, by its code.
TEST(FindingText, ShowsWhatCannotBeSeenByItsCode) {
    const struct {
        WString text, shown;
    } rows[] = {{u"Report\u00A02025.rpt", u"Report<U+00A0>2025.rpt"},
                {u"Donne\u0301es.txt", u"Donne<U+0301>es.txt"},
                {u"end\u001A", u"end<U+001A>"},
                {u"Data\u2215x.dat", u"Data<U+2215>x.dat"},
                {u"Donn\u00E9es \"A\\x\"\r\n", u"Donn\u00E9es \"A\\x\"\r\n"}};
    for (const auto& row : rows) EXPECT_EQ(WithInvisibleShown(row.text), row.shown);
}

// NORVANE_ANSI_CODE_PAGE: the code pages the Windows tool can meet, and nothing else.
TEST(CheckOptions, TakesTheAnsiCodePagesOfWindowsOnly) {
    for (const char* known : {"874", "932", "936", "949", "950", "1250", "1252", "1258"})
        EXPECT_EQ(AnsiCodePageNamed(Wide(known)), std::atoi(known)) << known;
    for (const char* refused : {"", "xyz", "1259", "65001", "437", "+932", "932 "})
        EXPECT_EQ(AnsiCodePageNamed(Wide(refused)), std::nullopt) << refused;
}

// The list's own name, whatever its letter case, as Windows finds it.
TEST(ListFileIn, FindsTheListWhateverItsLetterCase) {
    TempFolder package;
    EXPECT_EQ(ListFileIn(package / u"none"), std::nullopt);
    package.WriteFile(u"update.up", "[x]");
    const WString folder = package.Path().substr(0, package.Path().size() - 1);
    const std::optional<WString> list = ListFileIn(folder);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(ReadWholeFile(*list), "[x]");
}

// ---------------------------------------------------------------------------------------------
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct DryRunCase {
    const char* name;
    const char* actionA;  // the action line of A's section, "0" in the demo
    const char* fileInA;  // a file in A's install folder, or none
    bool installB;
    std::vector<std::string> plan;  // "source -> destination", below the test's folder
    std::vector<Expected> findings;
    size_t installALength = 0;  // A's install folder padded to this many units, backslash included
    const char* keyB = "Software\\NorvaneDemo\\ProductB";  // --installdir's key for B
    const char* fileB =
        nullptr;           // B's file line instead of ProductB.dll; a folder when it ends in "\\"
    uint32_t stopsAt = 0;  // the line where the copy would stop before writing anything
};
void PrintTo(const DryRunCase& c, std::ostream* out) {
    *out << c.name;
}

class DemoDryRun : public ::testing::TestWithParam<DryRunCase> {};

TEST_P(DemoDryRun, PlansWhatTheToolWouldCopy) {
    const DryRunCase& c = GetParam();
    TempFolder temp;
    std::filesystem::copy(NORVANE_DEMO_DIR, temp.Host(u"pkg"),
                          std::filesystem::copy_options::recursive);
    std::string bytes = temp.ReadFile(u"pkg\\Update.up").value_or("");
    bytes.replace(bytes.find("ProductA.exe\r\n0\r\n") + 14, 1, c.actionA);
    if (c.fileB != nullptr) {
        const std::string name = c.fileB;
        bytes = Replaced(bytes, "\r\nProductB.dll",
                         "\r\n" + name.substr(0, name.find_last_not_of('\\') + 1));
        if (name.back() == '\\')
            temp.MakeFolder(u"pkg\\B\\" + Wide(name));
        else
            temp.WriteFile(u"pkg\\B\\" + Wide(name), "new");
    }
    WString folderA = u"instA";
    if (c.installALength != 0) folderA += WString(c.installALength - temp.Path().size() - 6, u'd');
    temp.MakeFolder(folderA);
    if (c.fileInA != nullptr) temp.WriteFile(folderA + u"\\" + Wide(c.fileInA), "old");
    std::vector<CheckServices::InstallDir> installDirs = {
        {u"Software\\NorvaneDemo\\ProductA", temp / folderA}};
    if (c.installB) {
        temp.MakeFolder(u"instB");
        installDirs.push_back({Wide(c.keyB), temp / u"instB"});
    }
    temp.WriteFile(u"pkg\\Norvane.exe", "MZ");
    const WString package = temp / u"pkg";
    CheckServices services(NativeSystem(), package, installDirs);
    ScopedSystemOverride inPlace(services);
    const LintResult lint = LintList(bytes, package + u"\\");

    const DryRunResult run =
        DryRun(bytes, services, lint.outline, [](const WString& p) { return p; });

    std::vector<std::string> plan;
    uint64_t sourceBytes = 0;
    for (const PlannedCopy& copy : run.plan) {
        const std::string line = Narrow(copy.source) + " -> " + Narrow(copy.destination) +
                                 (copy.replaces ? " (replaces)" : "") +
                                 (copy.unchanged ? " (unchanged)" : "");
        plan.push_back(Replaced(Replaced(line, Narrow(temp.Path()), ""), Narrow(folderA), "instA"));
        sourceBytes += temp.ReadFile(copy.source.substr(temp.Path().size()))->size();
    }
    EXPECT_EQ(plan, c.plan);
    EXPECT_EQ(run.prepared, !c.plan.empty());
    EXPECT_EQ(run.totalBytes, sourceBytes);
    EXPECT_EQ(run.stopsAt, c.stopsAt);
    // As norvane-check prints them: the check's and the dry run's, in line order, each once.
    ExpectFindings(Merged(lint.findings, run.findings), c.findings);
}

const std::vector<std::string> kPlanA = {"pkg\\A\\ProductA.exe -> instA\\ProductA.exe (replaces)",
                                         "pkg\\A\\Data\\Table.dat -> instA\\Data\\Table.dat",
                                         "pkg\\A\\Data\\Strings.txt -> instA\\Data\\Strings.txt"};
const std::string kPlanB = "pkg\\B\\ProductB.dll -> instB\\ProductB.dll";

// clang-format off
const DryRunCase kDryRuns[] = {
    // Both products installed; A's destination folder at the limit.
    {"DestinationOf260Fails", "0", "ProductA.exe", true, {kPlanA[0], kPlanA[1], kPlanA[2], kPlanB},
     {N(4, "the section applies"), E(12, "the destination path is 261 characters long"),
      N(14, "the section applies")}, 245, "Software\\NorvaneDemo\\ProductB", nullptr, 12},
    {"ApplyingAction2EndsTheReading", "2", "ProductA.exe", true, kPlanA,
     {N(4, "the section applies"),
      N(14, "not read, nor any section after it: the section at line 4 applies with action 2")}},
    {"RequiredProductMissingStops", "0", "ProductA.exe", false, {},
     {N(4, "the section applies"), N(14, "no INSTALLDIR for \"Software\\NorvaneDemo\\ProductB\""),
      E(18, "the tool stops with the message \"Product B is not installed. The update cannot "
            "continue.\"")}},
    {"FailingConditionSkipsTheSection", "0", nullptr, true, {kPlanB},
     {N(4, "its condition \"0,ProductA.exe\" fails in"), N(14, "the section applies")}},
    {"MisspeltConditionNameNamesTheClosest", "0", "Product_A.exe", true, {kPlanB},
     {N(4, "\"ProductA.exe\" is not there, the closest there: \"Product_A.exe\""),
      N(14, "the section applies")}},
    {"ConditionNameInOtherCase", "0", "productA.exe", true, {kPlanA[0], kPlanA[1], kPlanA[2], kPlanB},
     {N(4, "the section applies"), POSIX_ONLY(N(6, "only as")) N(14, "the section applies")}},
    {"UnusedInstallDirPointsAtTheKey", "0", "ProductA.exe", true, {},
     {N(4, "the section applies"), N(14, kNoInstallDir),
      W(15, "--installdir \"Software\\NorvaneDemo\\ProduktB\" answers no section: the closest "
            "registry key is this line's \"Software\\NorvaneDemo\\ProductB\""),
      E(18, "the tool stops with the message")}, 0, "Software\\NorvaneDemo\\ProduktB"},
    {"TheClosestKeyIsOneNoOtherOptionAnswers", "0", "ProductA.exe", true, {},
     {N(4, "the section applies"), N(14, kNoInstallDir),
      W(15, "the closest registry key is this line's \"Software\\NorvaneDemo\\ProductB\""),
      E(18, "the tool stops with the message")}, 0, "Software\\NorvaneDemo\\ProductC"},
    {"KeysMatchAsTheRegistryMatchesThem", "0", "ProductA.exe", true,
     {kPlanA[0], kPlanA[1], kPlanA[2], kPlanB},
     {N(4, "the section applies"), N(14, "the section applies")}, 0,
     "software\\norvanedemo\\productb\\"},
    // A cause named once: the tool's box for a folder given as a file is the check's finding.
    {"FolderAsAFileNamedOnce", "0", "ProductA.exe", true, {},
     {N(4, "the section applies"), N(14, "the section applies"), E(20, "a folder")}, 0,
     "Software\\NorvaneDemo\\ProductB", "Sub\\"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, DemoDryRun, ::testing::ValuesIn(kDryRuns),
                         [](const auto& info) { return std::string(info.param.name); });

// A listed source that is a link to nothing is named as such, not as a file that is missing.
TEST(Lint, ADanglingLinkIsNamedAsALink) {
    TempFolder package;
    package.WriteFile(u"Readme.txt", "read me");
    package.WriteFile(u"Norvane.exe", "MZ");
    package.MakeFolder(u"A");
    std::error_code error;
    std::filesystem::create_symlink("nowhere.bin", package.Host(u"A\\one.bin"), error);
    if (error ||
        (NativeSystem().GetAttributes(package / u"A\\one.bin") & kFileAttributeReparsePoint) == 0)
        GTEST_SKIP() << "no links here";
    const ListText list = {Section(), {"one.bin"}};
    ExpectFindings(LintList(kLaunch + "\r\n" + list.Bytes(), package.Path()).findings,
                   {E(8, "is a link whose target is not there")});
}

// A folder link below INSTALLDIR, where this system can make one.
TEST(DemoDryRun, ALinkBelowInstallDirStopsTheTool) {
    TempFolder temp;
    std::filesystem::copy(NORVANE_DEMO_DIR, temp.Host(u"pkg"),
                          std::filesystem::copy_options::recursive);
    temp.MakeFolder(u"instA\\elsewhere");
    temp.WriteFile(u"instA\\ProductA.exe", "old");
    std::error_code error;
    std::filesystem::create_directory_symlink("elsewhere", temp.Host(u"instA\\Data"), error);
    if (error ||
        (NativeSystem().GetAttributes(temp / u"instA\\Data") & kFileAttributeReparsePoint) == 0)
        GTEST_SKIP() << "no folder links here";
    const std::string bytes = *temp.ReadFile(u"pkg\\Update.up");
    const WString package = temp / u"pkg";
    CheckServices services(NativeSystem(), package,
                           {{u"Software\\NorvaneDemo\\ProductA", temp / u"instA"},
                            {u"Software\\NorvaneDemo\\ProductB", temp / u"instA"}});
    ScopedSystemOverride inPlace(services);
    const DryRunResult run = DryRun(bytes, services, LintList(bytes, package + u"\\").outline,
                                    [](const WString& p) { return p; });
    ExpectFindings(run.findings, {N(4, "the section applies"),
                                  E(11, "the tool stops: " + Narrow(temp / u"instA\\Data") +
                                            " is a link; the update does not write through links."),
                                  E(12, "is a link"), N(14, "the section applies")});
}
}  // namespace
