#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "norvane/BuildCopyList.h"
#include "norvane/DecimalReading.h"
#include "support/RecordingServices.h"
#include "support/TempFolder.h"
#include "text/CTextLine.h"

// The tables write every path with "$" for the test's temporary folder. The package (the root
// folder) is $pkg\, products A and B are installed in $inst\A\ and $inst\B\ when the registry says
// so. The same tree serves every case:
//   $pkg\root.bin 5 bytes, $pkg\A\one.bin 10, $pkg\A\two.bin 20, $pkg\B\three.bin 30
//   $inst\A\ProductA.exe, the folder $inst\A\Sub\, and the empty folder $inst\B\.
namespace {
using Shown = RecordingServices::ShownMessage;

const WindowHandle kDialog = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x1080));
constexpr char kKeyPrefix[] = "Software\\Norvane\\";
constexpr char kLaunchLine[] = "[Readme]Readme.txt";

WString Wide(const std::string& text) {
    return WString(text.begin(), text.end());
}

WString Expand(const TempFolder& temp, const std::string& text) {
    WString out;
    for (char c : text) {
        if (c == '$') {
            out += temp.Path();
        } else {
            out += static_cast<WChar>(static_cast<unsigned char>(c));
        }
    }
    return out;
}

void MakePackageTree(const TempFolder& temp) {
    temp.WriteFile(u"pkg\\root.bin", std::string(5, 'r'));
    temp.WriteFile(u"pkg\\A\\one.bin", std::string(10, '1'));
    temp.WriteFile(u"pkg\\A\\two.bin", std::string(20, '2'));
    temp.WriteFile(u"pkg\\B\\three.bin", std::string(30, '3'));
    temp.WriteFile(u"inst\\A\\ProductA.exe", "MZ");
    temp.MakeFolder(u"inst\\A\\Sub");
    temp.MakeFolder(u"inst\\B");
}

// The content lines after the launch line, written as parts so sections read as one piece.
struct ListLines {
    ListLines() = default;
    ListLines(std::initializer_list<std::vector<std::string>> parts) {
        for (const auto& part : parts) lines.insert(lines.end(), part.begin(), part.end());
    }
    std::vector<std::string> lines;
};

std::vector<std::string> Section(const std::string& product, const std::string& condition = "None",
                                 const std::string& action = "0",
                                 const std::string& message = "Not installed.",
                                 const std::string& source = "%Root%\\A\\") {
    return {"[SetParamter]", kKeyPrefix + product, condition, action, message, source};
}

std::string ListBytes(const ListLines& content) {
    std::string bytes = std::string(kLaunchLine) + "\r\n";
    for (const auto& line : content.lines) bytes += line + "\r\n";
    return bytes;
}

struct RegistryValue {
    RegistryRoot root;
    std::string product;
    std::string installDir;
};

RegistryValue User(const std::string& product, const std::string& dir) {
    return {RegistryRoot::CurrentUser, product, dir};
}
RegistryValue Machine(const std::string& product, const std::string& dir) {
    return {RegistryRoot::LocalMachine, product, dir};
}

struct Entry {
    std::string fileName;
    std::string sourceFolder;
    std::string destFolder;
};

Entry FromAToA(const std::string& name) {
    return {name, "$pkg\\A\\", "$inst\\A\\"};
}

// An expected message box. A system text is named by its error code and looked up at run time,
// since Windows, Wine and the native services word them differently.
struct Message {
    bool ownedByDialog;
    std::string text;
    std::string caption;  // empty: the system's default caption
    uint32_t flags;
    uint32_t systemTextCode;
};

Message Plain(const std::string& text) {
    return {true, text, "", kMbTopmost, 0};
}
Message SystemText(uint32_t code) {
    return {false, "", "error", kMbIconInformation, code};
}
Message FileReadError(const std::string& fileName) {
    return {true,
            "Failed to load a file to copy. \nCompare the file name written on the text and the "
            "actual file name.\n\n[File name to copy written on the text]  " +
                fileName,
            "File read error", kMbTopmost, 0};
}
Message PathError(size_t length, const std::string& path) {
    return {true,
            "Exceeded the path length limit of 260 characters. \n\n[character count] " +
                std::to_string(length) + "\n [path]  " + path,
            "Path error", kMbTopmost, 0};
}

Shown ToShown(const TempFolder& temp, const Message& message) {
    Shown shown{message.ownedByDialog ? kDialog : nullptr, Expand(temp, message.text),
                std::nullopt, message.flags};
    if (!message.caption.empty()) shown.caption = Wide(message.caption);
    if (message.systemTextCode != 0) {
        shown.text = NativeSystem().SystemErrorText(message.systemTextCode).value_or(WString());
    }
    return shown;
}

std::vector<std::string> Describe(const std::vector<CopyEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& entry : entries) {
        out.push_back(Narrow(entry.fileName) + " | " + Narrow(entry.sourceFolder) + " | " +
                      Narrow(entry.destFolder));
    }
    return out;
}

std::vector<std::string> Describe(const TempFolder& temp, const std::vector<Entry>& entries) {
    std::vector<CopyEntry> expanded;
    for (const auto& entry : entries) {
        expanded.push_back({Wide(entry.fileName), Expand(temp, entry.sourceFolder),
                            Expand(temp, entry.destFolder)});
    }
    return Describe(expanded);
}

// Registry lookups as "HKCU A": the root and the product's key below the common prefix.
std::vector<std::string> Describe(const std::vector<RecordingServices::RegistryRead>& reads) {
    std::vector<std::string> out;
    for (const auto& read : reads) {
        std::string key = Narrow(read.subKey);
        if (key.rfind(kKeyPrefix, 0) == 0) key.erase(0, sizeof(kKeyPrefix) - 1);
        out.push_back((read.root == RegistryRoot::CurrentUser ? "HKCU " : "HKLM ") + key);
    }
    return out;
}

// One run of the preparation over a list, with the package tree on disk.
class Preparation {
public:
    explicit Preparation(const std::vector<RegistryValue>& registry) : override_(services) {
        MakePackageTree(temp);
        state->rootFolder = temp / u"pkg\\";
        for (const auto& value : registry) {
            services.SetRegistryString(value.root, Wide(kKeyPrefix + value.product), u"INSTALLDIR",
                                       Expand(temp, value.installDir));
        }
    }

    bool Run(const ListLines& content) {
        const std::string bytes = ListBytes(content);
        if (!text.SetText(bytes.data(), static_cast<uint32_t>(bytes.size()))) {
            ADD_FAILURE() << "the text model refused the list";
            return false;
        }
        text.NextItem();  // start-up's reading of the launch line
        return BuildCopyList(*state, text, kDialog);
    }

    std::vector<Shown> Expected(const std::vector<Message>& messages) const {
        std::vector<Shown> out;
        for (const auto& message : messages) out.push_back(ToShown(temp, message));
        return out;
    }

    TempFolder temp;
    RecordingServices services;
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    CTextLine text;

private:
    ScopedSystemOverride override_;
};

// ---------------------------------------------------------------------------------------------
// How sections, conditions, actions, source lines and file lines make the list.

struct ListCase {
    const char* name;
    std::vector<RegistryValue> registry;
    ListLines content;
    bool result;
    std::vector<Entry> entries;
    uint64_t totalBytes;
    std::vector<Message> messages;
    std::vector<std::string> lookups;
};

void PrintTo(const ListCase& c, std::ostream* out) {
    *out << c.name;
}

class ListBuilding : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListBuilding, MakesEntriesTotalsAndMessages) {
    const ListCase& c = GetParam();
    Preparation run(c.registry);

    EXPECT_EQ(run.Run(c.content), c.result);

    EXPECT_EQ(Describe(run.state->CopyList), Describe(run.temp, c.entries));
    EXPECT_EQ(run.state->totalBytes, c.totalBytes);
    // The count is written only when the list is good.
    EXPECT_EQ(run.state->entryCount, c.result ? static_cast<int32_t>(c.entries.size()) : 0);
    EXPECT_EQ(run.services.messages, run.Expected(c.messages));
    EXPECT_EQ(Describe(run.services.registryReads), c.lookups);
    EXPECT_EQ(run.state->mainDialog, kDialog);
}

const std::vector<RegistryValue> kOnlyA = {User("A", "$inst\\A")};
const std::vector<RegistryValue> kAAndB = {User("A", "$inst\\A"), Machine("B", "$inst\\B")};

const ListCase kListCases[] = {
    // Sizes and the plain road.
    {"TwoFilesCountTheirSizes", kOnlyA, {Section("A"), {"one.bin", "two.bin"}}, true,
     {FromAToA("one.bin"), FromAToA("two.bin")}, 30, {}, {"HKCU A"}},
    {"OnlyTheLaunchLine", kOnlyA, {}, false, {}, 0, {Plain("There is no file to copy.")}, {}},
    {"FileLineBeforeFirstHeaderIsSkipped", kOnlyA, {{"one.bin"}, Section("A"), {"two.bin"}}, true,
     {FromAToA("two.bin")}, 20, {}, {"HKCU A"}},

    // The registry: per user first, per machine only when per user has nothing.
    {"PerUserWinsOverPerMachine", {User("A", "$inst\\A"), Machine("A", "$inst\\B")},
     {Section("A"), {"one.bin"}}, true, {FromAToA("one.bin")}, 10, {}, {"HKCU A"}},
    {"PerMachineWhenPerUserHasNone", {Machine("A", "$inst\\A")}, {Section("A"), {"one.bin"}}, true,
     {FromAToA("one.bin")}, 10, {}, {"HKCU A", "HKLM A"}},
    {"NoInstallDirSkipsTheFiles", {}, {Section("A"), {"one.bin"}}, false, {}, 0,
     {Plain("There is no file to copy.")}, {"HKCU A", "HKLM A"}},

    // Conditions, tested in the destination folder.
    {"Mode0AppliesWhenAnyNameExists", kOnlyA,
     {Section("A", "0,Missing.exe,ProductA.exe"), {"one.bin"}}, true, {FromAToA("one.bin")}, 10,
     {}, {"HKCU A"}},
    {"Mode0WithNoNameExisting", kOnlyA, {Section("A", "0,Missing.exe,Other.dll"), {"one.bin"}},
     false, {}, 0, {Plain("There is no file to copy.")}, {"HKCU A"}},
    {"Mode1NeedsEveryName", kOnlyA, {Section("A", "1,Missing.exe,ProductA.exe"), {"one.bin"}},
     false, {}, 0, {Plain("There is no file to copy.")}, {"HKCU A"}},
    {"Mode1CountsAFolderAsExisting", kOnlyA, {Section("A", "1,ProductA.exe,Sub"), {"one.bin"}},
     true, {FromAToA("one.bin")}, 10, {}, {"HKCU A"}},
    {"Mode1WithoutNamesApplies", kOnlyA, {Section("A", "1"), {"one.bin"}}, true,
     {FromAToA("one.bin")}, 10, {}, {"HKCU A"}},
    {"ModeWithBlanksAndSign", kOnlyA, {Section("A", "  +7,ProductA.exe"), {"one.bin"}}, true,
     {FromAToA("one.bin")}, 10, {}, {"HKCU A"}},
    {"RunsOfCommasCountAsOne", kOnlyA, {Section("A", ",,1,,ProductA.exe,,,Sub,"), {"one.bin"}},
     true, {FromAToA("one.bin")}, 10, {}, {"HKCU A"}},
    {"BlankAfterCommaIsPartOfTheName", kOnlyA, {Section("A", "1, ProductA.exe"), {"one.bin"}},
     false, {}, 0, {Plain("There is no file to copy.")}, {"HKCU A"}},
    {"EmptyConditionLineNeverApplies", kOnlyA, {Section("A", "\t"), {"one.bin"}}, false, {}, 0,
     {Plain("There is no file to copy.")}, {"HKCU A"}},

    // Actions.
    {"Action1StopsWithTheSectionMessage", {},
     {Section("A", "None", "1", "Product A is not installed."), {"one.bin"}}, false, {}, 0,
     {Plain("Product A is not installed.")}, {"HKCU A", "HKLM A"}},
    {"Action1StopsWhenTheConditionFails", kOnlyA,
     {Section("A", "0,Missing.exe", "1", "Update A first."), {"one.bin"}}, false, {}, 0,
     {Plain("Update A first.")}, {"HKCU A"}},
    {"Action1EndsEvenAfterEntries", kAAndB,
     {Section("A"), {"one.bin"}, Section("C", "None", "1", "C is missing.")}, false,
     {FromAToA("one.bin")}, 10, {Plain("C is missing.")},
     {"HKCU A", "HKCU C", "HKLM C"}},
    {"Action257CountsAs1", {}, {Section("A", "None", "257", "Still 1."), {"one.bin"}}, false, {},
     0, {Plain("Still 1.")}, {"HKCU A", "HKLM A"}},
    {"Action1OnAnApplyingSectionDoesNothing", kOnlyA, {Section("A", "None", "1"), {"one.bin"}},
     true, {FromAToA("one.bin")}, 10, {}, {"HKCU A"}},
    {"Action2EndsReadingAtTheNextHeader", kAAndB,
     {Section("A", "None", "2"), {"one.bin"}, Section("B", "None", "0", "m", "no marker"),
      {"three.bin"}},
     true, {FromAToA("one.bin")}, 10, {}, {"HKCU A"}},
    {"Action2OnANonApplyingSectionDoesNothing", {Machine("B", "$inst\\B")},
     {Section("A", "None", "2"), {"one.bin"}, Section("B", "None", "0", "m", "%Root%\\B\\"),
      {"three.bin"}},
     true, {{"three.bin", "$pkg\\B\\", "$inst\\B\\"}}, 30, {},
     {"HKCU A", "HKLM A", "HKCU B", "HKLM B"}},
    {"TwoApplyingSectionsInFileOrder", kAAndB,
     {Section("A"), {"two.bin"}, Section("B", "None", "0", "m", "%Root%\\B\\"), {"three.bin"},
      Section("A"), {"one.bin"}},
     true,
     {FromAToA("two.bin"), {"three.bin", "$pkg\\B\\", "$inst\\B\\"}, FromAToA("one.bin")}, 60,
     {}, {"HKCU A", "HKCU B", "HKLM B", "HKCU A"}},

    // Source lines.
    {"MarkerAloneIsTheRootFolder", kOnlyA, {Section("A", "None", "0", "m", "%Root%\\"),
                                            {"root.bin"}},
     true, {{"root.bin", "$pkg\\", "$inst\\A\\"}}, 5, {}, {"HKCU A"}},
    {"OneCharacterBeforeTheMarkerStillDropsSeven", kOnlyA,
     {Section("A", "None", "0", "m", "x%Root%\\A\\"), {"one.bin"}}, true,
     {{"one.bin", "$pkg\\\\A\\", "$inst\\A\\"}}, 10, {}, {"HKCU A"}},
    {"SourceWithoutMarker", kOnlyA, {Section("A", "None", "0", "m", "A\\"), {"one.bin"}}, false,
     {}, 0, {Plain("Directory setting is not valid.")}, {"HKCU A"}},
    {"MarkerIsCaseSensitive", kOnlyA, {Section("A", "None", "0", "m", "%ROOT%\\A\\"),
                                       {"one.bin"}},
     false, {}, 0, {Plain("Directory setting is not valid.")}, {"HKCU A"}},
    {"SourceCheckedAlsoWhenTheSectionDoesNotApply", {},
     {Section("A", "None", "0", "m", "A\\"), {"one.bin"}}, false, {}, 0,
     {Plain("Directory setting is not valid.")}, {"HKCU A", "HKLM A"}},
    {"SectionCutShortByTheEndOfTheFile", kOnlyA,
     {{"[SetParamter]", "Software\\Norvane\\A", "None"}}, false, {}, 0,
     {Plain("Directory setting is not valid.")}, {"HKCU A"}},

    // Headers and file lines as the text model gives them.
    {"HeaderWithATrailingBlankIsAFileLine", kOnlyA,
     {Section("A"), {"one.bin", "[SetParamter] "}}, false,
     {FromAToA("one.bin"), FromAToA("[SetParamter] ")}, 10,
     {SystemText(kErrorFileNotFound), FileReadError("[SetParamter] ")}, {"HKCU A"}},
    {"BlanksBeforeACommentStayInTheName", kOnlyA, {Section("A"), {"gone.bin   // old name"}},
     false, {FromAToA("gone.bin   ")}, 0,
     {SystemText(kErrorFileNotFound), FileReadError("gone.bin   ")}, {"HKCU A"}},
    {"TabBeforeACommentEndsTheName", kOnlyA, {Section("A"), {"one.bin\t// note"}}, true,
     {FromAToA("one.bin")}, 10, {}, {"HKCU A"}},
    {"LineBeginningWithATabEndsWithoutMessage", kOnlyA,
     {Section("A"), {"one.bin", "\ttwo.bin", "two.bin"}}, false, {FromAToA("one.bin")}, 10, {},
     {"HKCU A"}},

    // Sources that cannot be opened.
    {"MissingFileStopsAfterEarlierSizes", kOnlyA, {Section("A"), {"one.bin", "gone.bin",
                                                                  "two.bin"}},
     false, {FromAToA("one.bin"), FromAToA("gone.bin")}, 10,
     {SystemText(kErrorFileNotFound), FileReadError("gone.bin")}, {"HKCU A"}},
};

INSTANTIATE_TEST_SUITE_P(Table, ListBuilding, ::testing::ValuesIn(kListCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// The list holds at most 2048 entries; only file lines of applying sections count.

struct LimitCase {
    const char* name;
    size_t applyingLines;
    bool trailingSkippedSection;
    bool result;
    size_t entries;
    std::vector<Message> messages;
};

void PrintTo(const LimitCase& c, std::ostream* out) {
    *out << c.name;
}

class ListLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(ListLimit, AcceptsUpTo2048Entries) {
    const LimitCase& c = GetParam();
    Preparation run(kOnlyA);
    ListLines content{Section("A"), std::vector<std::string>(c.applyingLines, "one.bin")};
    if (c.trailingSkippedSection) {
        content.lines.insert(content.lines.end(), {"[SetParamter]", "Software\\Norvane\\None",
                                                   "None", "0", "m", "%Root%\\A\\", "two.bin"});
    }

    EXPECT_EQ(run.Run(content), c.result);

    EXPECT_EQ(run.state->CopyList.size(), c.entries);
    EXPECT_EQ(run.state->totalBytes, 10 * c.entries);
    EXPECT_EQ(run.state->entryCount, c.result ? static_cast<int32_t>(c.entries) : 0);
    EXPECT_EQ(run.services.messages, run.Expected(c.messages));
}

const LimitCase kLimitCases[] = {
    {"Exactly2048", 2048, false, true, 2048, {}},
    {"SkippedLineAfter2048", 2048, true, true, 2048, {}},
    {"The2049th", 2049, false, false, 2048,
     {Plain("Exceeded the maximum number of files for copy.")}},
};

INSTANTIATE_TEST_SUITE_P(Table, ListLimit, ::testing::ValuesIn(kLimitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// A source that cannot be opened: the system's text for the open's own error code, then a message
// chosen by the full source path's length.

// A name that makes $pkg\A\ + name exactly `length` units long, in parts short enough for every
// file system.
std::string NameForPathLength(const TempFolder& temp, size_t length) {
    const size_t folderLength = (temp / u"pkg\\A\\").size();
    std::string name;
    while (folderLength + name.size() + 100 < length) name += std::string(90, 'd') + "\\";
    return name + std::string(length - folderLength - name.size(), 'x');
}

struct OpenFailureCase {
    const char* name;
    size_t pathLength;
    bool pathError;
};

void PrintTo(const OpenFailureCase& c, std::ostream* out) {
    *out << c.name;
}

class OpenFailure : public ::testing::TestWithParam<OpenFailureCase> {};

TEST_P(OpenFailure, ShowsTheSystemTextThenWhyTheListIsAtFault) {
    const OpenFailureCase& c = GetParam();
    Preparation run(kOnlyA);
    const std::string name = NameForPathLength(run.temp, c.pathLength);
    const WString path = run.temp / u"pkg\\A\\" + Wide(name);
    ASSERT_EQ(path.size(), c.pathLength);

    EXPECT_FALSE(run.Run({Section("A"), {name}}));

    // Whether a long path fails as "not found" or "too long" is the platform's; the box must show
    // the text for the code that this very open gave.
    ASSERT_EQ(run.services.probes.size(), 1u);
    const uint32_t code = run.services.probes[0].result.error;
    EXPECT_NE(code, 0u);
    const std::string shownPath = "$pkg\\A\\" + name;
    EXPECT_EQ(run.services.messages,
              run.Expected({SystemText(code), c.pathError ? PathError(c.pathLength, shownPath)
                                                          : FileReadError(name)}));
}

const OpenFailureCase kOpenFailureCases[] = {
    {"Path259IsAReadError", 259, false},
    {"Path260IsAPathError", 260, true},
    {"Path300IsAPathError", 300, true},
};

INSTANTIATE_TEST_SUITE_P(Table, OpenFailure, ::testing::ValuesIn(kOpenFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OpenFailureCode, TheBoxShowsTheCodeOfTheFailedOpen) {
    Preparation run(kOnlyA);
    run.services.SetProbeResult(run.temp / u"pkg\\A\\one.bin",
                                OpenForReadResult{false, kErrorSharingViolation, 0});

    EXPECT_FALSE(run.Run({Section("A"), {"one.bin"}}));

    EXPECT_EQ(run.services.messages,
              run.Expected({SystemText(kErrorSharingViolation), FileReadError("one.bin")}));
}

// ---------------------------------------------------------------------------------------------
// Sizes count whole: a file of 4 GiB or more must not shrink to its low 32 bits.

TEST(TotalBytes, CountsFilesOf4GiBAndMoreWhole) {
    Preparation run(kOnlyA);
    const uint64_t large = (uint64_t{1} << 32) + 10;
    run.services.SetProbeResult(run.temp / u"pkg\\A\\one.bin", OpenForReadResult{true, 0, large});

    EXPECT_TRUE(run.Run({Section("A"), {"one.bin", "two.bin"}}));

    EXPECT_EQ(run.state->totalBytes, large + 20);
}

// ---------------------------------------------------------------------------------------------
// Numbers on condition and action lines.

TEST(DecimalReading, ReadsLikeTheCLibrary) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"", 0},           {"abc", 0},         {"12", 12},          {"  12", 12},
        {"\t\v 3", 3},     {"+5", 5},          {"-5", -5},          {"- 5", 0},
        {"+-5", 0},        {"7abc", 7},        {"1 2", 1},          {"007", 7},
        {"257", 257},      {"2147483647", 2147483647},              {"-2147483648", INT32_MIN},
        {"99999999999999999999", INT32_MAX},  {"-99999999999999999999", INT32_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadDecimal(Wide(c.text)), c.value) << '"' << c.text << '"';
    }
}
}  // namespace
