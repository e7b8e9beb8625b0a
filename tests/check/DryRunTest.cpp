// Dry runs of the demo package against install folders made for each case: the tool's own
// preparation decides, the checker reports what it decided and what it would copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "check/DryRun.h"
#include "check/ListLint.h"
#include "support/TempFolder.h"

namespace {
namespace fs = std::filesystem;

const WString kKeyA = u"Software\\NorvaneDemo\\ProductA";
const WString kKeyB = u"Software\\NorvaneDemo\\ProductB";

WString Wide(const std::string& text) {
    return WString(text.begin(), text.end());
}

// The demo package, copied beside the install folders; returns its list's lines.
std::vector<std::string> CopyDemo(const TempFolder& temp) {
    std::vector<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(NORVANE_DEMO_DIR)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        WString relative = Wide(fs::relative(entry.path(), NORVANE_DEMO_DIR).string());
        for (WChar& unit : relative) {
            if (unit == u'/') unit = u'\\';
        }
        temp.WriteFile(u"pkg\\" + relative, bytes);
    }
    std::string list = temp.ReadFile(u"pkg\\Update.up").value_or("");
    for (size_t start = 0, end; start < list.size(); start = end + 2) {
        end = list.find("\r\n", start);
        lines.push_back(list.substr(start, end - start));
    }
    return lines;
}

struct Expected {
    uint32_t line;
    Severity severity;
    std::string words;
};

struct DryRunCase {
    const char* name;
    std::map<size_t, std::string> changedLines;  // 1-based line of the demo list, new text
    bool productAExe;                            // ProductA.exe is in A's install folder
    bool installB;
    std::vector<std::string> plan;  // "source -> destination", below the test's folder
    std::vector<Expected> findings;
    size_t installALength = 0;  // A's install folder padded to this many units, backslash included
};

void PrintTo(const DryRunCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<std::string> kPlanA = {"pkg\\A\\ProductA.exe -> instA\\ProductA.exe (replaces)",
                                         "pkg\\A\\Data\\Table.dat -> instA\\Data\\Table.dat",
                                         "pkg\\A\\Data\\Strings.txt -> instA\\Data\\Strings.txt"};
const std::string kPlanB = "pkg\\B\\ProductB.dll -> instB\\ProductB.dll";

std::vector<std::string> Plus(std::vector<std::string> plan, const std::string& more) {
    plan.push_back(more);
    return plan;
}

Expected N(uint32_t line, const std::string& words) {
    return {line, Severity::Note, words};
}
Expected E(uint32_t line, const std::string& words) {
    return {line, Severity::Error, words};
}

class DemoDryRun : public ::testing::TestWithParam<DryRunCase> {};

TEST_P(DemoDryRun, PlansWhatTheToolWouldCopy) {
    const DryRunCase& c = GetParam();
    TempFolder temp;
    std::vector<std::string> lines = CopyDemo(temp);
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i) {
        auto changed = c.changedLines.find(i + 1);
        bytes += (changed != c.changedLines.end() ? changed->second : lines[i]) + "\r\n";
    }
    WString folderA = u"instA";
    if (c.installALength != 0) folderA += WString(c.installALength - temp.Path().size() - 6, u'd');
    temp.MakeFolder(folderA);
    if (c.productAExe) temp.WriteFile(folderA + u"\\ProductA.exe", "old");
    std::vector<CheckServices::InstallDir> installDirs = {{kKeyA, temp / folderA}};
    if (c.installB) {
        temp.MakeFolder(u"instB");
        installDirs.push_back({kKeyB, temp / u"instB"});
    }
    const WString package = temp / u"pkg";
    CheckServices services(NativeSystem(), package, installDirs);
    ScopedSystemOverride inPlace(services);
    const ListOutline outline = LintList(bytes, package + u"\\").outline;

    const DryRunResult run = DryRun(bytes, services, outline, [](const WString& p) { return p; });

    std::vector<std::string> plan;
    uint64_t sourceBytes = 0;
    for (const PlannedCopy& copy : run.plan) {
        plan.push_back(Narrow(copy.source.substr(temp.Path().size())) + " -> " +
                       Narrow(copy.destination.substr(temp.Path().size())) +
                       (copy.replaces ? " (replaces)" : ""));
        sourceBytes += temp.ReadFile(copy.source.substr(temp.Path().size()))->size();
    }
    if (c.installALength != 0) {
        for (std::string& line : plan) {
            const size_t padding = line.find("instAd");
            if (padding != std::string::npos)
                line.erase(padding + 5, c.installALength - temp.Path().size() - 6);
        }
    }
    EXPECT_EQ(plan, c.plan);
    EXPECT_EQ(run.prepared, !c.plan.empty());
    EXPECT_EQ(run.totalBytes, sourceBytes);
    ASSERT_EQ(run.findings.size(), c.findings.size());
    for (size_t i = 0; i < run.findings.size(); ++i) {
        const std::string text = Narrow(run.findings[i].text);
        EXPECT_EQ(run.findings[i].line, c.findings[i].line) << text;
        EXPECT_EQ(run.findings[i].severity, c.findings[i].severity) << text;
        EXPECT_NE(text.find(c.findings[i].words), std::string::npos) << text;
    }
}

const DryRunCase kCases[] = {
    {"BothProductsInstalled",
     {},
     true,
     true,
     Plus(kPlanA, kPlanB),
     {N(4, "the section applies"), N(14, "the section applies")}},
    {"ApplyingAction2EndsTheReading",
     {{7, "2"}},
     true,
     true,
     kPlanA,
     {N(4, "the section applies"),
      N(14, "not read, nor any section after it: the section at line 4 applies with action 2")}},
    {"RequiredProductMissingStops",
     {},
     true,
     false,
     {},
     {N(4, "the section applies"), N(14, "no INSTALLDIR for \"Software\\NorvaneDemo\\ProductB\""),
      E(18,
        "the tool stops with the message \"Product B is not installed. The update cannot "
        "continue.\"")}},
    {"FailingConditionSkipsTheSection",
     {},
     false,
     true,
     {kPlanB},
     {N(4, "its condition \"0,ProductA.exe\" fails in"), N(14, "the section applies")}},
    {"DestinationOf260Fails",
     {},
     true,
     true,
     Plus(kPlanA, kPlanB),
     {N(4, "the section applies"), E(12, "the destination path is 261 characters long"),
      N(14, "the section applies")},
     245},
};

INSTANTIATE_TEST_SUITE_P(Table, DemoDryRun, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace
