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
//   $pkg\A\one.bin 10 bytes, $pkg\A\two.bin 20, $pkg\B\three.bin 30,
//   $inst\A\ProductA.exe, the folder $inst\A\Sub\, and the empty folder $inst\B\.
namespace {
const WindowHandle kDialog = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x1080));

WString Wide(const std::string& text) {
    return WString(text.begin(), text.end());
}

WString Expand(const TempFolder& temp, const std::string& text) {
    WString out;
    for (char c : text) out += c == '$' ? temp.Path() : WString(1, static_cast<WChar>(c));
    return out;
}

using Lines = std::vector<std::string>;

// The content lines after the launch line, written as parts so sections read as one piece.
struct ListLines {
    ListLines(std::initializer_list<Lines> parts = {}) {
        for (const auto& part : parts) lines.insert(lines.end(), part.begin(), part.end());
    }
    Lines lines;
};

// The product's registry key is the product's name itself.
Lines Section(const std::string& product, const std::string& condition = "None",
              const std::string& action = "0", const std::string& message = "m",
              const std::string& source = "%Root%\\A\\") {
    return {"[SetParamter]", product, condition, action, message, source};
}

struct RegistryValue {
    RegistryRoot root;
    std::string product, installDir;
};
RegistryValue User(const std::string& product, const std::string& dir) {
    return {RegistryRoot::CurrentUser, product, dir};
}
RegistryValue Machine(const std::string& product, const std::string& dir) {
    return {RegistryRoot::LocalMachine, product, dir};
}

// An expected message box. A system text is named by its error code and looked up at run time,
// since Windows, Wine and the native services word them differently.
struct Message {
    bool ownedByDialog;
    std::string text, caption;  // no caption: the system's default one
    uint32_t flags, systemTextCode;
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
            "actual file name.\n\n[File name to copy written on the text]  " + fileName,
            "File read error", kMbTopmost, 0};
}
Message PathError(size_t length, const std::string& path) {
    return {true,
            "Exceeded the path length limit of 260 characters. \n\n[character count] " +
                std::to_string(length) + "\n [path]  " + path,
            "Path error", kMbTopmost, 0};
}
const Message kNoFile = Plain("There is no file to copy.");
const Message kNotValid = Plain("Directory setting is not valid.");

// One run of the preparation over a list, with the package tree on disk.
class Preparation {
public:
    explicit Preparation(const std::vector<RegistryValue>& registry) : override_(services) {
        temp.WriteFile(u"pkg\\A\\one.bin", std::string(10, '1'));
        temp.WriteFile(u"pkg\\A\\two.bin", std::string(20, '2'));
        temp.WriteFile(u"pkg\\B\\three.bin", std::string(30, '3'));
        temp.WriteFile(u"inst\\A\\ProductA.exe", "MZ");
        temp.MakeFolder(u"inst\\A\\Sub");
        temp.MakeFolder(u"inst\\B");
        state->rootFolder = temp / u"pkg\\";
        for (const auto& value : registry) {
            services.SetRegistryData(value.root, Wide(value.product), u"INSTALLDIR",
                                     Expand(temp, value.installDir) + WChar(0));
        }
    }

    bool Run(const ListLines& content) {
        std::string bytes = "[Readme]Readme.txt\r\n";
        for (const auto& line : content.lines) bytes += line + "\r\n";
        if (!text.SetText(bytes.data(), static_cast<uint32_t>(bytes.size()))) return false;
        text.NextItem();  // start-up's reading of the launch line
        return BuildCopyList(*state, text, kDialog);
    }

    // Entries as "name|source|destination"; a bare name stands for $pkg\A\ to $inst\A\.
    std::vector<WString> Entries() const {
        std::vector<WString> out;
        for (const auto& e : state->CopyList) {
            out.push_back(e.fileName + u"|" + e.sourceFolder + u"|" + e.destFolder);
        }
        return out;
    }
    std::vector<WString> Expected(const Lines& entries) const {
        std::vector<WString> out;
        for (std::string e : entries) {
            if (e.find('|') == std::string::npos) e += "|$pkg\\A\\|$inst\\A\\";
            out.push_back(Expand(temp, e));
        }
        return out;
    }

    std::vector<RecordingServices::ShownMessage> Shown(const std::vector<Message>& messages) const {
        std::vector<RecordingServices::ShownMessage> out;
        for (const auto& m : messages) {
            out.push_back({m.ownedByDialog ? kDialog : nullptr, Expand(temp, m.text),
                           std::nullopt, m.flags});
            if (!m.caption.empty()) out.back().caption = Wide(m.caption);
            if (m.systemTextCode != 0) {
                out.back().text = NativeSystem().SystemErrorText(m.systemTextCode).value_or(u"");
            }
        }
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

const std::vector<RegistryValue> kOnlyA = {User("A", "$inst\\A")};
const std::vector<RegistryValue> kAAndB = {User("A", "$inst\\A"), Machine("B", "$inst\\B")};

struct ListCase {
    const char* name;
    ListLines content;
    bool result;
    Lines entries;
    uint64_t totalBytes;
    std::vector<Message> messages = {};
    std::vector<RegistryValue> registry = kOnlyA;
};

void PrintTo(const ListCase& c, std::ostream* out) {
    *out << c.name;
}

class ListBuilding : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListBuilding, MakesEntriesTotalsAndMessages) {
    const ListCase& c = GetParam();
    Preparation run(c.registry);

    EXPECT_EQ(run.Run(c.content), c.result);

    EXPECT_EQ(run.Entries(), run.Expected(c.entries));
    EXPECT_EQ(run.state->totalBytes, c.totalBytes);
    // The count is written only when the list is good.
    EXPECT_EQ(run.state->entryCount, c.result ? static_cast<int32_t>(c.entries.size()) : 0);
    EXPECT_EQ(run.services.messages, run.Shown(c.messages));
}

const ListCase kListCases[] = {
    // Sizes, and action 1 on a section that applies changes nothing.
    {"TwoFilesCountTheirSizes", {Section("A", "None", "1"), {"one.bin", "two.bin"}}, true,
     {"one.bin", "two.bin"}, 30},
    {"OnlyTheLaunchLine", {}, false, {}, 0, {kNoFile}},
    {"FileLineBeforeFirstHeaderIsSkipped", {{"one.bin"}, Section("A"), {"two.bin"}}, true,
     {"two.bin"}, 20},

    // The registry: per user first, per machine only when per user has nothing.
    {"PerUserWinsOverPerMachine", {Section("A"), {"one.bin"}}, true, {"one.bin"}, 10, {},
     {User("A", "$inst\\A"), Machine("A", "$inst\\B")}},
    {"PerMachineWhenPerUserHasNone", {Section("B"), {"two.bin"}, Section("A"), {"one.bin"}}, true,
     {"one.bin"}, 10, {}, {Machine("A", "$inst\\A")}},

    // Conditions, tested in the destination folder.
    {"Mode0AnyName", {Section("A", "0,Missing.exe,ProductA.exe"), {"one.bin"}}, true,
     {"one.bin"}, 10},
    {"Mode0NoName", {Section("A", "0,Missing.exe,Other.dll"), {"one.bin"}}, false, {}, 0,
     {kNoFile}},
    {"Mode1NeedsEveryName", {Section("A", "1,Missing.exe,ProductA.exe"), {"one.bin"}}, false, {},
     0, {kNoFile}},
    {"Mode1FolderCountsCommaRunsAreOne", {Section("A", ",,1,,ProductA.exe,,,Sub,"), {"one.bin"}},
     true, {"one.bin"}, 10},
    {"SignedModeWithoutNames", {Section("A", "  +7"), {"one.bin"}}, true, {"one.bin"}, 10},
    {"BlankAfterCommaIsInTheName", {Section("A", "1, ProductA.exe"), {"one.bin"}}, false, {}, 0,
     {kNoFile}},
    {"EmptyConditionLineNeverApplies", {Section("A", "\t"), {"one.bin"}}, false, {}, 0, {kNoFile}},

    // Actions.
    {"Action1StopsWhenTheConditionFails",
     {Section("A", "0,Missing.exe", "1", "Update A first."), {"one.bin"}}, false, {}, 0,
     {Plain("Update A first.")}},
    {"Action257IsAction1AndEndsAfterEntries",
     {Section("A"), {"one.bin"}, Section("C", "None", "257", "C is missing.")}, false,
     {"one.bin"}, 10, {Plain("C is missing.")}},
    {"Action2EndsReadingAtTheNextHeader",
     {Section("A", "None", "2"), {"one.bin"}, Section("B", "None", "0", "m", "none"), {"x"}},
     true, {"one.bin"}, 10, {}, kAAndB},
    {"SectionsInFileOrderAndAction2NotApplying",
     {Section("C", "None", "2"), {"one.bin"}, Section("A"), {"two.bin"},
      Section("B", "None", "0", "m", "%Root%\\B\\"), {"three.bin"}, Section("A"), {"one.bin"}},
     true, {"two.bin", "three.bin|$pkg\\B\\|$inst\\B\\", "one.bin"}, 60, {}, kAAndB},

    // Source lines: the first seven characters go, whatever they are; the marker is checked
    // also when the section does not apply.
    {"OneCharacterBeforeTheMarker", {Section("A", "None", "0", "m", "x%Root%\\A\\"), {"one.bin"}},
     true, {"one.bin|$pkg\\\\A\\|$inst\\A\\"}, 10},
    {"MarkerMissingOrMiscased", {Section("A", "None", "0", "m", "%ROOT%\\A\\"), {"one.bin"}},
     false, {}, 0, {kNotValid}, {}},
    {"SectionCutShortByTheEndOfTheFile", {{"[SetParamter]", "A", "None"}}, false, {}, 0,
     {kNotValid}},

    // Headers and file lines as the text model gives them; a missing source stops the list.
    {"HeaderWithATrailingBlankIsAFileLine", {Section("A"), {"one.bin", "[SetParamter] ", "x"}},
     false, {"one.bin", "[SetParamter] "}, 10,
     {SystemText(kErrorFileNotFound), FileReadError("[SetParamter] ")}},
    {"BlanksBeforeACommentStayInTheName", {Section("A"), {"gone.bin   // old name"}}, false,
     {"gone.bin   "}, 0, {SystemText(kErrorFileNotFound), FileReadError("gone.bin   ")}},
    {"LineBeginningWithATabEndsNamingItsLine",
     {Section("A"), {"one.bin", "// comment lines count", "\ttwo.bin", "x"}}, false,
     {"one.bin"}, 10, {Plain("Line 10 of 'Update.up' begins with a separator.")}},
};

INSTANTIATE_TEST_SUITE_P(Table, ListBuilding, ::testing::ValuesIn(kListCases),
                         [](const auto& info) { return std::string(info.param.name); });

// At most 2048 entries; file lines of sections that do not apply do not count.
TEST(ListLimit, AcceptsUpTo2048Entries) {
    for (const size_t lines : {2048u, 2049u}) {
        SCOPED_TRACE(lines);
        Preparation run(kOnlyA);
        const bool accepted = lines == 2048;
        EXPECT_EQ(run.Run({Section("A"), Lines(lines, "one.bin"), Section("None"), {"two.bin"}}),
                  accepted);
        EXPECT_EQ(run.state->CopyList.size(), 2048u);
        EXPECT_EQ(run.state->totalBytes, 10u * 2048);
        EXPECT_EQ(run.state->entryCount, accepted ? 2048 : 0);
        const Message refused = Plain("Exceeded the maximum number of files for copy.");
        EXPECT_EQ(run.services.messages, run.Shown(accepted ? std::vector<Message>{}
                                                            : std::vector<Message>{refused}));
    }
}

// A source that cannot be opened: the system's text for the open's own error code, then a message
// chosen by the full source path's length.
TEST(OpenFailure, ShowsTheSystemTextThenWhyTheListIsAtFault) {
    for (const size_t length : {259u, 260u}) {
        SCOPED_TRACE(length);
        Preparation run(kOnlyA);
        const WString folder = run.temp / u"pkg\\A\\";
        const std::string name(length - folder.size(), 'x');
        run.services.SetProbeResult(folder + Wide(name), {false, kErrorSharingViolation, 0});

        EXPECT_FALSE(run.Run({Section("A"), {name}}));

        const Message why =
            length < 260 ? FileReadError(name) : PathError(length, "$pkg\\A\\" + name);
        EXPECT_EQ(run.services.messages, run.Shown({SystemText(kErrorSharingViolation), why}));
    }
}

// Sizes count whole: a file of 4 GiB or more must not shrink to its low 32 bits.
TEST(TotalBytes, CountsFilesOf4GiBAndMoreWhole) {
    Preparation run(kOnlyA);
    const uint64_t large = (uint64_t{1} << 32) + 10;
    run.services.SetProbeResult(run.temp / u"pkg\\A\\one.bin", {true, 0, large});

    EXPECT_TRUE(run.Run({Section("A"), {"one.bin", "two.bin"}}));
    EXPECT_EQ(run.state->totalBytes, large + 20);
}

// Numbers on condition and action lines.
TEST(DecimalReading, ReadsLikeTheCLibrary) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"", 0},       {"abc", 0},  {"\t\v 12", 12},  {"+5", 5},  {"-5", -5},  {"- 5", 0},
        {"+-5", 0},    {"7a1", 7},  {"-2147483648", INT32_MIN}, {"99999999999999999999", INT32_MAX},
        {"-99999999999999999999", INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadDecimal(Wide(c.text)), c.value) << c.text;
}
}  // namespace
