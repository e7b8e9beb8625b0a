// How the preparation makes the copy list of a list file, and the boxes that stop it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "norvane/BuildCopyList.h"
#include "norvane/DecimalReading.h"
#include "support/ListText.h"
#include "support/RecordingServices.h"
#include "text/CTextLine.h"

// The tables write every path with "$" for the test's temporary folder. The package (the root
// folder) is $pkg\, products A and B are installed in $inst\A\ and $inst\B\ when the registry says
// so. The same tree serves every case:
//   $pkg\A\one.bin 10 bytes, $pkg\A\two.bin 20, $pkg\B\three.bin 30,
//   $inst\A\ProductA.exe, the folder $inst\A\Sub\, and the empty folder $inst\B\.
namespace {
using Box = RecordingServices::ShownMessage;
const WindowHandle kDialog = reinterpret_cast<WindowHandle>(uintptr_t{0x1080});

// A box of the list's own: owned by the main dialog, topmost, the system's caption unless named.
Box ListBox(const std::string& text, const std::string& caption = "") {
    Box box{kDialog, Wide(text), std::nullopt, kMbTopmost};
    if (!caption.empty()) box.caption = Wide(caption);
    return box;
}
Box FileReadError(const std::string& name) {
    return ListBox(
        "Failed to load a file to copy. \nCompare the file name written on the text and "
        "the actual file name.\n\n[File name to copy written on the text]  " +
            name,
        "File read error");
}
// The system's text for an error code, without owner. Windows, Wine and the native services word
// it differently: taken from the platform.
Box SystemText(uint32_t code) {
    return {nullptr, NativeSystem().SystemErrorText(code).value_or(u""), WString(u"error"),
            kMbIconInformation};
}
const Box kNoFile = ListBox("There is no file to copy.");
const Box kNotValid = ListBox("Directory setting is not valid.");

// A product's INSTALLDIR, a folder of $inst (or, after a "!", the value as it stands); its
// registry key is the product's name itself.
struct RegistryValue {
    RegistryRoot root;
    std::string product, folder;
};
const RegistryValue kUserA = {RegistryRoot::CurrentUser, "A", "A"};
const RegistryValue kMachineB = {RegistryRoot::LocalMachine, "B", "B"};

// One run of the preparation over a list, with the package tree on disk.
struct Preparation {
    explicit Preparation(const std::vector<RegistryValue>& registry) {
        temp.WriteFile(u"pkg\\A\\one.bin", std::string(10, '1'));
        temp.WriteFile(u"pkg\\A\\two.bin", std::string(20, '2'));
        temp.WriteFile(u"pkg\\B\\three.bin", std::string(30, '3'));
        temp.WriteFile(u"inst\\A\\ProductA.exe", "MZ");
        temp.MakeFolder(u"inst\\A\\Sub");
        temp.MakeFolder(u"inst\\B");
        state->rootFolder = temp / u"pkg\\";
        for (const auto& value : registry) {
            const bool raw = !value.folder.empty() && value.folder[0] == '!';
            services.registry[{value.root, Wide(value.product), u"INSTALLDIR"}] =
                (raw ? Wide(value.folder.substr(1)) : temp / u"inst\\" + Wide(value.folder)) +
                WChar(0);
        }
    }
    // The content lines follow the launch line, which start-up has read.
    bool Run(const ListText& content) {
        const std::string bytes = "[Readme]Readme.txt\r\n" + content.Bytes();
        if (!text.SetText(bytes.data(), static_cast<uint32_t>(bytes.size()))) return false;
        text.NextItem();
        return BuildCopyList(*state, text, kDialog);
    }
    // Entries as "name|source|destination" with "$" for the test's folder; a bare name stands for
    // $pkg\A\ to $inst\A\.
    Lines Entries() const {
        Lines out;
        for (const auto& e : state->CopyList) {
            std::string entry = Narrow(e.fileName + u"|" + e.sourceFolder + u"|" + e.destFolder);
            for (size_t at; (at = entry.find(Narrow(temp.Path()))) != std::string::npos;)
                entry.replace(at, temp.Path().size(), "$");
            const size_t usual = entry.rfind("|$pkg\\A\\|$inst\\A\\");
            out.push_back(usual + 17 == entry.size() ? entry.substr(0, usual) : entry);
        }
        return out;
    }

    TempFolder temp;
    RecordingServices services;
    ScopedSystemOverride inPlace{services};
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    CTextLine text;
};

struct ListCase {
    const char* name;
    ListText content;
    bool result;
    Lines entries;
    uint64_t totalBytes;
    std::vector<Box> boxes = {};
    std::vector<RegistryValue> registry = {kUserA};
};
void PrintTo(const ListCase& c, std::ostream* out) {
    *out << c.name;
}

class ListBuilding : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListBuilding, MakesEntriesTotalsAndMessages) {
    const ListCase& c = GetParam();
    Preparation run(c.registry);

    EXPECT_EQ(run.Run(c.content), c.result);

    EXPECT_EQ(run.Entries(), c.entries);
    EXPECT_EQ(run.state->totalBytes, c.totalBytes);
    // The count is written only when the list is good.
    EXPECT_EQ(run.state->entryCount, c.result ? static_cast<int32_t>(c.entries.size()) : 0);
    EXPECT_EQ(run.services.messages, c.boxes);
}

// clang-format off
const ListCase kListCases[] = {
    // Sizes, and action 1 on a section that applies changes nothing.
    {"TwoFilesCountTheirSizes", {Section("A", "None", "1"), {"one.bin", "two.bin"}}, true,
     {"one.bin", "two.bin"}, 30},
    {"OnlyTheLaunchLine", {}, false, {}, 0, {kNoFile}},
    {"FileLineBeforeFirstHeaderIsSkipped", {{"one.bin"}, Section(), {"two.bin"}}, true,
     {"two.bin"}, 20},
    // At most 2048 entries; file lines of sections that do not apply do not count.
    {"Accepts2048Entries", {Section(), Lines(2048, "one.bin"), Section("None"), {"two.bin"}}, true,
     Lines(2048, "one.bin"), 20480},
    {"Refuses2049Entries", {Section(), Lines(2049, "one.bin")}, false, Lines(2048, "one.bin"),
     20480, {ListBox("Exceeded the maximum number of files for copy.")}},

    // The registry: per user first, per machine only when per user has nothing.
    {"PerUserWinsOverPerMachine", {Section(), {"one.bin"}}, true, {"one.bin"}, 10, {},
     {kUserA, {RegistryRoot::LocalMachine, "A", "B"}}},
    {"PerMachineWhenPerUserHasNone", {Section("B"), {"two.bin"}, Section(), {"one.bin"}}, true,
     {"one.bin"}, 10, {}, {{RegistryRoot::LocalMachine, "A", "A"}}},
    // A value that names no folder of its own is as good as none: the destinations would be
    // relative to whatever the working folder is.
    {"EmptyOrRelativeInstallDirIsNone", {Section(), {"one.bin"}}, true,
     {"one.bin|$pkg\\A\\|$inst\\B\\"}, 10, {},
     {{RegistryRoot::CurrentUser, "A", "!"}, {RegistryRoot::LocalMachine, "A", "B"}}},
    {"RelativeInstallDirAloneNeverApplies", {Section(), {"one.bin"}}, false, {}, 0, {kNoFile},
     {{RegistryRoot::CurrentUser, "A", "!Vendor\\A"}}},

    // Conditions, tested in the destination folder.
    {"Mode0AnyName", {Section("A", "0,Missing.exe,ProductA.exe"), {"one.bin"}}, true, {"one.bin"},
     10},
    {"Mode0NoName", {Section("A", "0,Missing.exe,Other.dll"), {"one.bin"}}, false, {}, 0,
     {kNoFile}},
    {"Mode1NeedsEveryName", {Section("A", "1,Missing.exe,ProductA.exe"), {"one.bin"}}, false, {}, 0,
     {kNoFile}},
    {"Mode1FolderCountsCommaRunsAreOne", {Section("A", ",,1,,ProductA.exe,,,Sub,"), {"one.bin"}},
     true, {"one.bin"}, 10},
    {"OtherModeWithoutNamesApplies", {Section("A", "7"), {"one.bin"}}, true, {"one.bin"}, 10},
    {"BlankAfterCommaIsInTheName", {Section("A", "1, ProductA.exe"), {"one.bin"}}, false, {}, 0,
     {kNoFile}},
    {"EmptyConditionLineNeverApplies", {Section("A", "\t"), {"one.bin"}}, false, {}, 0, {kNoFile}},

    // Actions.
    {"Action1StopsWhenTheConditionFails",
     {Section("A", "0,Missing.exe", "1", "Update A first."), {"one.bin"}}, false, {}, 0,
     {ListBox("Update A first.")}},
    {"Action257IsAction1AndEndsAfterEntries",
     {Section(), {"one.bin"}, Section("C", "None", "257", "C is missing.")}, false, {"one.bin"},
     10, {ListBox("C is missing.")}},
    {"Action2EndsReadingAtTheNextHeader",
     {Section("A", "None", "2"), {"one.bin"}, Section("B", "None", "0", "m", "none"), {"x"}}, true,
     {"one.bin"}, 10, {}, {kUserA, kMachineB}},
    {"SectionsInFileOrderAndAction2NotApplying",
     {Section("C", "None", "2"), {"one.bin"}, Section(), {"two.bin"},
      Section("B", "None", "0", "m", "%Root%\\B\\"), {"three.bin"}, Section(), {"one.bin"}},
     true, {"two.bin", "three.bin|$pkg\\B\\|$inst\\B\\", "one.bin"}, 60, {}, {kUserA, kMachineB}},

    // Source lines: the first seven characters go, whatever they are; the marker is checked
    // also when the section does not apply.
    {"OneCharacterBeforeTheMarker", {Section("A", "None", "0", "m", "x%Root%\\A\\"), {"one.bin"}},
     true, {"one.bin|$pkg\\\\A\\|$inst\\A\\"}, 10},
    {"MarkerMissingOrMiscased", {Section("A", "None", "0", "m", "%ROOT%\\A\\"), {"one.bin"}},
     false, {}, 0, {kNotValid}, {}},
    {"SectionCutShortByTheEndOfTheFile", {{"[SetParamter]", "A", "None"}}, false, {}, 0,
     {kNotValid}},

    // Headers and file lines as the text model gives them; a missing source stops the list.
    {"HeaderWithATrailingBlankIsAFileLine", {Section(), {"one.bin", "[SetParamter] ", "x"}}, false,
     {"one.bin", "[SetParamter] "}, 10,
     {SystemText(kErrorFileNotFound), FileReadError("[SetParamter] ")}},
    {"BlanksBeforeACommentStayInTheName", {Section(), {"gone.bin   // old name"}}, false,
     {"gone.bin   "}, 0, {SystemText(kErrorFileNotFound), FileReadError("gone.bin   ")}},
    {"LineBeginningWithATabEndsNamingItsLine",
     {Section(), {"one.bin", "// comment lines count", "\ttwo.bin", "x"}}, false, {"one.bin"}, 10,
     {ListBox("Line 10 of 'Update.up' begins with a separator.")}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, ListBuilding, ::testing::ValuesIn(kListCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A source that cannot be opened: the system's text for the open's own error code, then a box
// chosen by the full source path's length. A file of 4 GiB or more counts whole.
TEST(SourceProbe, UnreadableSourceStopsAndSizesCountWhole) {
    for (const size_t length : {259u, 260u}) {
        Preparation run({kUserA});
        const WString folder = run.temp / u"pkg\\A\\";
        const std::string name(length - folder.size(), 'x');
        run.services.probes[folder + Wide(name)] = {false, kErrorSharingViolation, 0, nullptr};
        EXPECT_FALSE(run.Run({Section(), {name}}));
        const Box why = length < 260 ? FileReadError(name)
                                     : ListBox(
                                           "Exceeded the path length limit of 260 characters. "
                                           "\n\n[character count] 260\n [path]  " +
                                               Narrow(folder) + name,
                                           "Path error");
        EXPECT_EQ(run.services.messages,
                  (std::vector<Box>{SystemText(kErrorSharingViolation), why}))
            << length;
    }
    Preparation run({kUserA});
    run.services.probes[run.temp / u"pkg\\A\\one.bin"] = {true, 0, (uint64_t{1} << 32) + 10,
                                                          nullptr};
    EXPECT_TRUE(run.Run({Section(), {"one.bin", "two.bin"}}));
    EXPECT_EQ(run.state->totalBytes, (uint64_t{1} << 32) + 30);
}

// Numbers on condition and action lines, and where their digits end (the checker's findings
// quote what follows them).
TEST(DecimalReading, ReadsLikeTheCLibrary) {
    const struct {
        const char* text;
        int32_t value;
        bool digits;
        const char* after;
    } cases[] = {{"", 0, false, ""},
                 {"abc", 0, false, "abc"},
                 {"\t\v 12", 12, true, ""},
                 {"+5", 5, true, ""},
                 {"-5", -5, true, ""},
                 {"- 5", 0, false, " 5"},
                 {"+-5", 0, false, "-5"},
                 {"7a1", 7, true, "a1"},
                 {"1;Gamma.exe", 1, true, ";Gamma.exe"},
                 {"-2147483648", INT32_MIN, true, ""},
                 {"99999999999999999999", INT32_MAX, true, ""},
                 {"-99999999999999999999", INT32_MIN, true, ""}};
    for (const auto& c : cases) {
        const WString text = Wide(c.text);
        const DecimalReading reading = ReadDecimal(text);
        EXPECT_EQ(reading.value, c.value) << c.text;
        EXPECT_EQ(reading.HasDigits(), c.digits) << c.text;
        EXPECT_EQ(Narrow(text.substr(reading.digitsEnd)), c.after) << c.text;
    }
}
}  // namespace
