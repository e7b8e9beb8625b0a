#include "check/ListLint.h"

#include <algorithm>

#include "app/CopyEntry.h"
#include "check/CaseVariant.h"
#include "check/DoubleListings.h"
#include "check/FileTraps.h"
#include "check/NearNames.h"
#include "check/SectionLint.h"
#include "check/ValueText.h"
#include "norvane/BuildCopyList.h"
#include "norvane/LaunchLine.h"
#include "norvane/ListKeywords.h"
#include "norvane/ListMessages.h"
#include "norvane/SectionReader.h"
#include "platform/SystemServices.h"
#include "text/CTextLine.h"

namespace {
// The first path length that no longer fits the tool's buffers.
constexpr size_t kPathLengthLimit = kPathUnits;
constexpr WChar kToolName[] = u"Norvane.exe";

// What the tool would show, as findings quote it.
WString ToolStopsWith(const WString& text) {
    return u"the tool stops with " + Quoted(text);
}

// Where a name is found only in other letter case: looked up on the machine itself, whose names
// the checker's own services find whatever their case.
std::optional<WString> OtherCase(const WString& path) {
    return CaseVariant(NativeSystem(), path);
}

class ListLinter {
public:
    explicit ListLinter(const WString& rootFolder) : root_(rootFolder) {}

    LintResult Run(const std::string& bytes) {
        result_.findings = FileTraps(bytes);
        if (!text_.SetText(bytes.data(), static_cast<uint32_t>(bytes.size()))) {
            Add(1, Severity::Error, u"no content line: " + ToolStopsWith(kListNotFoundText));
            return Result();
        }
        CheckToolBesideTheList();
        CheckLaunchLine();
        bool complete = true;
        while (text_.NextLine()) {
            text_.NextItem();
            const WString item(text_.ItemText());
            if (item.empty()) {
                Add(Severity::Error, u"line begins with a " + SeparatorName() +
                                         u": the tool stops here with \"" +
                                         LineBeginsWithSeparatorText(text_.LineIndex() + 1) +
                                         u"\" and copies nothing");
            } else if (item == kSectionHeader) {
                CloseSection();
                if (!ReadSection()) {
                    complete = false;
                    break;
                }
            } else {
                CheckFileLine(item);
            }
        }
        if (complete) {
            CloseSection();
            if (auto trap = LastSectionTrap(outline_()))
                Add(outline_().back().actionLine, Severity::Warning, std::move(*trap));
        }
        if (totalFiles_ == 0) {
            Add(static_cast<uint32_t>(text_.LineCount()), Severity::Error,
                u"no file to copy: " + ToolStopsWith(kNoFileToCopyText));
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

    // The tool reads the list from its own folder: without the tool beside it nothing runs.
    void CheckToolBesideTheList() {
        const WString tool = root_ + kToolName;
        if (!IsFileMissing(tool, WString()) || OtherCase(tool)) return;
        Add(1, Severity::Note,
            u"Norvane.exe is not in the package folder: the tool reads Update.up from its own "
            u"folder, so ship it beside the list");
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

    void CheckLaunchLine() {
        const char* ansi = text_.NextItem();
        const WString item(text_.ItemText());
        if (item.empty()) {
            Add(Severity::Warning,
                u"the launch line begins with a " + SeparatorName() + u": no document is opened");
            return;
        }
        if (item == kSectionHeader) {
            Add(Severity::Warning, u"the first content line is the launch line: this " +
                                       Quoted(kSectionHeader) +
                                       u" is not read as a section header");
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
        // Before any look-up of the name, which the checker's services make as Windows does.
        if (const std::optional<WString> variant = OtherCase(*target)) {
            Add(Severity::Note, OtherCaseText(u"launch document", document, *variant));
            return;
        }
        if (!IsFileMissing(*target, WString())) return;
        Add(Severity::Warning,
            u"the launch document " + Quoted(document) + u" does not exist in the package");
    }

    WString OtherCaseText(const WString& what, const WString& written, const WString& found) {
        return u"the " + what + u" " + Quoted(written) + u" is in the package only as " +
               Quoted(found.substr(root_.size())) +
               u": Windows, whose file names ignore letter case, will find it; this system does "
               u"not";
    }

    // Reads the five lines after a header as the tool does; false when the file ends first.
    bool ReadSection() {
        SectionReader reader(text_);
        SectionOutline section;
        section.headerLine = reader.HeaderLine();
        ParameterLine lines[kParameterLineCount];
        for (ParameterLine& line : lines) {
            line = reader.Next();
            if (!line.inFile) {
                Add(section.headerLine, Severity::Error,
                    u"section cut short: the file ends before its " + ParameterRoleName(line.role) +
                        u" line");
                outline_().push_back(section);
                inSection_ = true;
                sourceValid_ = false;
                return false;
            }
            if (line.role == ParameterRole::Key) {
                section.keyLine = line.line;
                section.key = line.value;
            }
            CheckParameterLine(line.role, line.value);
            if (line.role == ParameterRole::Message) CheckMessageCut(lines[2].value, line.value);
        }
        section.condition = lines[1].value;
        section.action = SectionAction(lines[2].value);
        section.actionLine = lines[2].line;
        CheckSourceLine(lines[4].value, lines[3].value, lines[3].line);
        outline_().push_back(section);
        inSection_ = true;
        sectionOpen_ = true;
        sectionFiles_ = 0;
        doubles_.StartSection();
        misspeltHeaderInSection_ = false;
        return true;
    }

    // A message shown for action 1 that "//" cuts short: a "//" right after a character, as in a
    // web address, is most likely not meant as a comment.
    void CheckMessageCut(const WString& action, const WString& message) {
        if (SectionAction(action) != kActionStopUnlessApplies) return;
        if (message.empty() || IsKeptBlank(message.back()) || !CommentAfterItem(message)) return;
        Add(Severity::Warning,
            u"\"//\" in the message starts a comment: the box shows only " + Quoted(message));
    }

    // At the next header or the end. A section whose source line stops the tool has that error
    // to fix first.
    void CloseSection() {
        if (!sectionOpen_) return;
        sectionOpen_ = false;
        if (!sourceValid_) return;
        const SectionOutline& section = outline_().back();
        if (auto trap = EmptySectionTrap(section, sectionFiles_))
            Add(section.headerLine, Severity::Warning, std::move(*trap));
    }

    void CheckParameterLine(ParameterRole role, const WString& value) {
        const WString name = ParameterRoleName(role);
        if (value == kSectionHeader) {
            Add(Severity::Error, u"section cut short: " + Quoted(kSectionHeader) +
                                     u" stands where its " + name +
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
        const std::optional<WString> folder = SectionSourceFolder(root_, source);
        sourceValid_ = folder.has_value();
        if (!sourceValid_) {
            WString text = u"the source line does not contain " + Quoted(kRootMarker) + u": " +
                           ToolStopsWith(kDirectoryNotValidText);
            if (SectionSourceFolder(root_, message)) {
                text += u" (line " + DecimalText(messageLine) +
                        u", read as the message line, holds it: is a line missing above it?)";
            }
            Add(Severity::Error, text);
            return;
        }
        sourceFolder_ = *folder;
    }

    void CheckFileLine(const WString& item) {
        if (IsNearMissHeader(item)) {
            Add(Severity::Warning, Quoted(item) +
                                       u" is no section header: the tool reads it as a file line "
                                       u"(a header is exactly " +
                                       Quoted(kSectionHeader) + u", spelled so)");
            // The lines of the section it meant: read as file lines, but not the author's files.
            misspeltSectionLines_ = kParameterLineCount + 1;
            misspeltHeaderInSection_ = true;
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
        // After a misspelt header the author's sections are lost already: the files of the one
        // that header meant to open are not told again as doubles of the section before.
        if (!misspeltHeaderInSection_) {
            if (auto doubled = doubles_.Listed(item, Line(), outline_()))
                Add(Severity::Warning, std::move(*doubled));
        }
        if (sectionFiles_ == kMaxCopyEntries + 1) {
            Add(Severity::Error, u"more than " + DecimalText(kMaxCopyEntries) +
                                     u" files in one section: " + ToolStopsWith(kTooManyFilesText));
        } else if (totalFiles_ == kMaxCopyEntries + 1) {
            Add(Severity::Warning, u"the " + DecimalText(kMaxCopyEntries + 1) + u"th file line: " +
                                       ToolStopsWith(kTooManyFilesText) +
                                       u" when the sections up to here apply together");
        }
        if (sourceValid_ && !misspeltSection) CheckSource(sourceFolder_ + item);
    }

    void CheckSource(const WString& path) {
        if (path.size() >= kPathLengthLimit) {
            Add(Severity::Error, u"the source path is " + DecimalText(path.size()) +
                                     u" characters long: " + ToolStopsWith(kPathErrorCaption) +
                                     u" (paths of " + DecimalText(kPathLengthLimit) +
                                     u" or more cannot be opened)");
            return;
        }
        const std::optional<WString> variant = OtherCase(path);
        if (variant)
            Add(Severity::Note, OtherCaseText(u"source file", path.substr(root_.size()), *variant));
        const OpenForReadResult probe = System().ProbeOpenForRead(variant.value_or(path));
        if (probe.opened) return;
        const WString why = WithoutLineEnd(
            System().SystemErrorText(probe.error).value_or(u"error " + DecimalText(probe.error)));
        Add(Severity::Error, u"cannot open the source file " + Quoted(path.substr(root_.size())) +
                                 u": " + why + u" The tool stops with " +
                                 Quoted(kFileReadErrorCaption) + u".");
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
    bool sectionOpen_ = false;
    bool misspeltHeaderInSection_ = false;
    DoubleListings doubles_;
};
}  // namespace

LintResult LintList(const std::string& bytes, const WString& rootFolder) {
    return ListLinter(rootFolder).Run(bytes);
}
