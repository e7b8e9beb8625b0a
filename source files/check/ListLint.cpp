#include "check/ListLint.h"

#include <algorithm>

#include "check/LineTraps.h"
#include "check/SectionLint.h"
#include "norvane/BuildCopyList.h"
#include "app/CopyEntry.h"
#include "norvane/DecimalReading.h"
#include "norvane/LaunchLine.h"
#include "norvane/ListMessages.h"
#include "platform/SystemServices.h"
#include "text/CTextLine.h"

namespace {
// What the tool keeps of a line, and the first path length that no longer fits its buffers.
constexpr size_t kLongestLine = kLineUnits - 1;
constexpr size_t kPathLengthLimit = kPathUnits;
// The lines of a misspelt header's section: read as file lines, but not the author's files.
constexpr int kParameterLines = 5;

WString Quoted(const WString& text) {
    return u"\"" + text + u"\"";
}

WString Number(uint64_t value) {
    return DecimalText(static_cast<int64_t>(value));
}

class ListLinter {
public:
    explicit ListLinter(const WString& rootFolder) : root_(rootFolder) {}

    LintResult Run(const std::string& bytes) {
        CheckBytes(bytes);
        if (!text_.SetText(bytes.data(), static_cast<uint32_t>(bytes.size()))) {
            Add(1, Severity::Error,
                u"no content line: the tool stops with \"Cannot find 'Update.up'.\"");
            return Result();
        }
        CheckLineLengths();
        CheckLaunchLine();
        while (text_.NextLine()) {
            text_.NextItem();
            const WString item(text_.ItemText());
            if (item.empty()) {
                Add(Severity::Error,
                    u"line begins with a " + SeparatorName() + u": the tool stops here with \"" +
                        LineBeginsWithSeparatorText(text_.LineIndex() + 1) +
                        u"\" and copies nothing");
            } else if (item == kSectionHeader) {
                if (!ReadSection()) break;
            } else {
                CheckFileLine(item);
            }
        }
        if (totalFiles_ == 0) {
            Add(static_cast<uint32_t>(text_.LineCount()), Severity::Error,
                u"no file to copy: the tool stops with \"There is no file to copy.\"");
        }
        return Result();
    }

private:
    uint32_t Line() const { return text_.LineIndex() + 1; }

    void Add(uint32_t line, Severity severity, WString text) {
        result_.findings.push_back({line, severity, std::move(text)});
    }
    void Add(Severity severity, WString text) { Add(Line(), severity, std::move(text)); }

    LintResult Result() {
        std::stable_sort(result_.findings.begin(), result_.findings.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        return std::move(result_);
    }

    // The first item of the current line is empty: the line begins with a separator.
    WString SeparatorName() const {
        return text_.LineText()[0] == u'\r' ? u"carriage return" : u"TAB";
    }

    // Blanks before a comment stay part of the first item, unless a separator ends it first.
    bool CommentAfterItem(const WString& item) const {
        const WString raw = text_.RawLine(text_.LineIndex());
        const size_t length = static_cast<size_t>(text_.LineLength());
        return item.size() == length && raw.compare(length, 2, u"//") == 0;
    }

    // Blanks kept at the end of a value; true when a finding was made.
    bool CheckTrailingBlanks(const WString& item, const WString& role, const WString& consequence) {
        if (!EndsInBlank(item)) return false;
        if (CommentAfterItem(item)) {
            Add(Severity::Warning, u"blanks before the comment are part of the " + role + u" " +
                                       Quoted(item) + consequence);
        } else {
            Add(Severity::Warning, u"the " + role + u" " + Quoted(item) +
                                       u" ends in blanks, which the tool keeps" + consequence);
        }
        return true;
    }

    void CheckBytes(const std::string& bytes) {
        if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            Add(1, Severity::Warning,
                u"the file begins with a UTF-8 signature: the tool reads ANSI text in the "
                u"machine's code page and takes the signature's bytes as characters of line 1");
        }
        const bool utf16 =
            bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
        if (utf16) {
            Add(1, Severity::Warning,
                u"the file is UTF-16 (it begins with a UTF-16 signature): the tool reads ANSI text "
                u"and ends it at the first NUL byte");
            return;
        }
        const size_t nul = bytes.find('\0');
        if (nul != std::string::npos) {
            const auto line =
                1 + std::count(bytes.begin(), bytes.begin() + static_cast<long>(nul), '\n');
            Add(static_cast<uint32_t>(line), Severity::Warning,
                u"NUL byte: the tool's text ends here, and it reads nothing after it");
        }
    }

    void CheckLineLengths() {
        for (uint32_t index = 0; index < static_cast<uint32_t>(text_.LineCount()); ++index) {
            WString raw = text_.RawLine(index);
            if (!raw.empty() && raw.back() == u'\n') raw.pop_back();
            if (!raw.empty() && raw.back() == u'\r') raw.pop_back();
            if (raw.size() > kLongestLine) {
                Add(index + 1, Severity::Error,
                    u"line is " + Number(raw.size()) +
                        u" characters long: the tool reads only its first 1023");
            }
        }
    }

    void CheckLaunchLine() {
        const char* ansi = text_.NextItem();
        const WString item(text_.ItemText());
        if (item.empty()) {
            Add(Severity::Warning,
                u"the launch line begins with a " + SeparatorName() + u": no document is opened");
            return;
        }
        if (item == kSectionHeader) {
            Add(Severity::Warning,
                u"the first content line is the launch line: this \"[SetParamter]\" is not read "
                u"as a section header");
            return;
        }
        CheckTrailingBlanks(item, u"launch line", u": the document's name gets them");
        const std::optional<WString> target = LaunchTarget(root_, ansi, text_.ItemAnsiComplete());
        if (!target) return;
        const WString document = target->substr(root_.size());
        if (HasParentSegment(document)) {
            Add(Severity::Warning,
                u"\"..\" in the launch line reaches outside the package "
                u"folder, and the tool runs elevated");
        }
        if (IsFileMissing(*target, WString())) {
            Add(Severity::Warning,
                u"the launch document " + Quoted(document) + u" does not exist in the package");
        }
    }

    // Reads the five lines after a header as the tool does; false when the file ends first.
    bool ReadSection() {
        const uint32_t headerLine = Line();
        if (!outline_().empty() && outline_().back().action == kActionLastIfApplies) {
            Add(Severity::Warning,
                u"this section and the ones after it are not read when the section at line " +
                    Number(outline_().back().headerLine) + u" applies (action 2)");
        }
        SectionOutline section;
        section.headerLine = headerLine;
        WString values[kParameterLines];
        uint32_t lines[kParameterLines] = {};
        for (int role = 0; role < kParameterLines; ++role) {
            if (!text_.NextLine()) {
                Add(headerLine, Severity::Error,
                    u"section cut short: the file ends before its " +
                        ParameterRoleName(static_cast<ParameterRole>(role)) + u" line");
                outline_().push_back(section);
                inSection_ = true;
                sourceValid_ = false;
                return false;
            }
            text_.NextItem();
            values[role] = text_.ItemText();
            lines[role] = Line();
            if (role == 0) {
                section.keyLine = lines[0];
                section.key = values[0];
            }
            CheckParameterLine(static_cast<ParameterRole>(role), values[role]);
        }
        section.condition = values[1];
        section.action = static_cast<uint8_t>(ReadDecimal(values[2]));
        if (section.action == kActionLastIfApplies && !outline_().empty()) {
            Add(lines[2], Severity::Warning,
                u"action 2 ends only the sections after this one: the sections before it, from "
                u"line " +
                    Number(outline_().front().headerLine) + u", still copy when they apply");
        }
        CheckSourceLine(values[4], values[3], lines[3]);
        outline_().push_back(section);
        inSection_ = true;
        sectionFiles_ = 0;
        return true;
    }

    void CheckParameterLine(ParameterRole role, const WString& value) {
        const WString name = ParameterRoleName(role);
        if (value == kSectionHeader) {
            Add(Severity::Error, u"section cut short: \"[SetParamter]\" stands where its " + name +
                                     u" line belongs, and the tool reads it as that line");
            return;
        }
        if (value.empty()) {
            if (role != ParameterRole::Source) {
                Add(Severity::Warning, u"the " + name + u" line begins with a " + SeparatorName() +
                                           u": the tool reads it as empty");
            }
            return;
        }
        WString meant = value;
        if (role != ParameterRole::Action && role != ParameterRole::Message &&
            CheckTrailingBlanks(value, name, BlanksConsequence(role, value))) {
            meant = TrimBlanks(value);
        }
        for (WString& text : ParameterLineTraps(role, meant))
            Add(Severity::Warning, std::move(text));
    }

    void CheckSourceLine(const WString& source, const WString& message, uint32_t messageLine) {
        sourceValid_ = source.find(kRootMarker) != WString::npos;
        if (!sourceValid_) {
            WString text =
                u"the source line does not contain \"%Root%\\\": the tool stops with "
                u"\"Directory setting is not valid.\"";
            if (message.find(kRootMarker) != WString::npos) {
                text += u" (line " + Number(messageLine) +
                        u", read as the message line, holds it: is a line missing above it?)";
            }
            Add(Severity::Error, text);
            return;
        }
        sourceFolder_ = root_ + source.substr(kRootMarkerLength);
    }

    void CheckFileLine(const WString& item) {
        if (IsNearMissHeader(item)) {
            Add(Severity::Warning, Quoted(item) +
                                       u" is no section header: the tool reads it as a file line "
                                       u"(a header is exactly \"[SetParamter]\", spelled so)");
            misspeltSectionLines_ = kParameterLines + 1;
        }
        const bool misspeltSection = misspeltSectionLines_ > 0;
        if (misspeltSection) --misspeltSectionLines_;
        if (!inSection_) {
            Add(Severity::Warning, u"file line before the first section header: the tool skips it");
            return;
        }
        if (!misspeltSection)
            CheckTrailingBlanks(item, u"file name", u": the file is looked for with them");
        if (HasParentSegment(item)) {
            Add(Severity::Warning,
                u"\"..\" in a file line reaches outside the product's folder, "
                u"and the tool runs elevated");
        }
        ++sectionFiles_;
        ++totalFiles_;
        if (sectionFiles_ == kMaxCopyEntries + 1) {
            Add(Severity::Error,
                u"more than 2048 files in one section: the tool stops with "
                u"\"Exceeded the maximum number of files for copy.\"");
        } else if (totalFiles_ == kMaxCopyEntries + 1) {
            Add(Severity::Warning,
                u"the 2049th file line: the tool stops with \"Exceeded the "
                u"maximum number of files for copy.\" when the sections up to "
                u"here apply together");
        }
        if (sourceValid_ && !misspeltSection) CheckSource(sourceFolder_ + item);
    }

    void CheckSource(const WString& path) {
        if (path.size() >= kPathLengthLimit) {
            Add(Severity::Error, u"the source path is " + Number(path.size()) +
                                     u" characters long: the tool stops with \"Path error\" "
                                     u"(paths of 260 or more cannot be opened)");
            return;
        }
        const OpenForReadResult probe = System().ProbeOpenForRead(path);
        if (probe.opened) return;
        const WString why = WithoutLineEnd(
            System().SystemErrorText(probe.error).value_or(u"error " + Number(probe.error)));
        Add(Severity::Error, u"cannot open the source file " + Quoted(path.substr(root_.size())) +
                                 u": " + why + u" The tool stops with \"File read error\".");
    }

    ListOutline& outline_() { return result_.outline; }

    CTextLine text_;
    WString root_;
    LintResult result_;
    bool inSection_ = false;
    bool sourceValid_ = false;
    WString sourceFolder_;
    size_t sectionFiles_ = 0;
    size_t totalFiles_ = 0;
    int misspeltSectionLines_ = 0;
};
}  // namespace

LintResult LintList(const std::string& bytes, const WString& rootFolder) {
    return ListLinter(rootFolder).Run(bytes);
}
