#include "check/ListLint.h"

#include <algorithm>

#include "app/CopyEntry.h"
#include "base/CaseFold.h"
#include "check/CaseVariant.h"
#include "check/DoubleListings.h"
#include "check/FileTraps.h"
#include "check/NearNames.h"
#include "check/SectionLint.h"
#include "check/ValueText.h"
#include "norvane/BuildCopyList.h"
#include "norvane/LaunchLine.h"
#include "norvane/ListEncoding.h"
#include "norvane/ListKeywords.h"
#include "norvane/ListMessages.h"
#include "norvane/SectionReader.h"
#include "paths/WindowsNames.h"
#include "platform/SystemServices.h"
#include "text/CTextLine.h"

namespace {
// The first path length that no longer fits the tool's buffers.
constexpr size_t kPathLengthLimit = kPathUnits;
constexpr WChar kToolName[] = u"Norvane.exe";
// Below this many units for INSTALLDIR (its backslash included) the room a file line leaves is
// worth telling: "C:\Program Files (x86)\Vendor\Product\" alone takes 40.
constexpr size_t kRoomWorthTelling = 100;

// What the tool would show, as findings quote it.
WString ToolStopsWith(const WString& text) {
    return u"the tool stops with " + Quoted(text);
}

// Where a name is found only in other letter case: looked up on the machine itself, whose names
// the checker's own services find whatever their case.
std::optional<WString> OtherCase(const WString& path) {
    return CaseVariant(NativeSystem(), path);
}

// "line 4", "lines 4-9, 11".
WString LinesText(const std::vector<uint32_t>& lines) {
    WString text = lines.size() == 1 ? u"line " : u"lines ";
    for (size_t i = 0; i < lines.size();) {
        size_t last = i;
        while (last + 1 < lines.size() && lines[last + 1] == lines[last] + 1) ++last;
        text += (i == 0 ? u"" : u", ") + DecimalText(lines[i]) +
                (last > i ? u"-" + DecimalText(lines[last]) : WString());
        i = last + 1;
    }
    return text;
}

// The first folder of a relative path, with its separator; empty when it names a file alone.
WString FirstFolder(const WString& path) {
    const size_t separator = path.find_first_of(u"\\/");
    return separator == WString::npos ? WString() : path.substr(0, separator + 1);
}

class ListLinter {
public:
    explicit ListLinter(const WString& rootFolder) : root_(rootFolder) {}

    LintResult Run(const std::string& bytes) {
        // Start-up stops before it reads a line: nothing else is told.
        if (auto notAnsi = ListNotAnsiText(bytes.data(), bytes.size())) {
            Add(notAnsi->line, Severity::Error,
                u"the list is no ANSI text: " + ToolStopsWith(notAnsi->text));
            return Result();
        }
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
                NoteLeadingBlank(item);
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
        TellLeadingBlanksOnce();
        for (Finding& finding : result_.findings) finding.text = WithInvisibleShown(finding.text);
        std::stable_sort(result_.findings.begin(), result_.findings.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        return std::move(result_);
    }

    // Blanks at the start of a line's value, which the tool keeps: a header is then no header,
    // a key, a folder or a name is looked for with them.
    void NoteLeadingBlank(const WString& value) {
        if (!value.empty() && IsKeptBlank(value.front())) leadingBlankLines_.push_back(Line());
    }

    // One cause, one finding: indented lines are told once, with their lines, and what follows
    // from the blanks on those lines is not told again.
    void TellLeadingBlanksOnce() {
        if (leadingBlankLines_.empty()) return;
        std::sort(leadingBlankLines_.begin(), leadingBlankLines_.end());
        Severity worst = Severity::Warning;
        Findings kept;
        for (Finding& finding : result_.findings) {
            if (!std::binary_search(leadingBlankLines_.begin(), leadingBlankLines_.end(),
                                    finding.line)) {
                kept.push_back(std::move(finding));
            } else if (finding.severity > worst) {
                worst = finding.severity;
            }
        }
        kept.push_back({leadingBlankLines_.front(), worst,
                        u"leading blanks on " + LinesText(leadingBlankLines_) +
                            u": the tool keeps them as part of each line's value, so a header "
                            u"is no header and a key, a folder or a name is looked for with "
                            u"them; remove them"});
        result_.findings = std::move(kept);
    }

    // The tool reads the list from its own folder: without the tool beside it nothing runs.
    void CheckToolBesideTheList() {
        const WString tool = root_ + kToolName;
        if (!IsFileMissing(tool, WString()) || OtherCase(tool)) return;
        Add(1, Severity::Warning,
            u"Norvane.exe is not in the package folder: the tool reads Update.up from its own "
            u"folder, so ship it beside the list");
    }

    // The first item of the current line is empty: the line begins with a separator.
    WString SeparatorName() const {
        return text_.LineText()[0] == u'\r' ? u"carriage return" : u"TAB";
    }

    // A "//" right after the item: blanks before a comment stay part of the first item, unless
    // a separator ends it first.
    bool CommentAfterItem(const WString& item) const {
        const WString raw = text_.RawLine(text_.LineIndex());
        const size_t length = static_cast<size_t>(text_.LineLength());
        return item.size() == length && raw.compare(length, 2, u"//") == 0;
    }

    // What follows a TAB after the item, up to a comment: text the tool does not read.
    WString TextAfterTab(const WString& item) const {
        const WString raw = WithoutLineEnd(text_.RawLine(text_.LineIndex()));
        if (raw.size() <= item.size() || raw[item.size()] != u'\t') return WString();
        WString rest = raw.substr(item.size() + 1);
        rest = rest.substr(0, rest.find(u"//"));
        rest.erase(std::remove(rest.begin(), rest.end(), u'\t'), rest.end());
        return TrimBlanks(rest);
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

    // Blanks and dots at the end of a name, which Windows drops as it opens it.
    void NoteDroppedEnd(const WString& item, const WString& role) {
        const WString opened = AsWindowsOpens(item);
        if (opened == item) return;
        const WString start =
            CommentAfterItem(item) ? u"blanks before the comment end the " : u"the ";
        Add(Severity::Note, start + role + u" " + Quoted(item) +
                                u": Windows drops the blanks and dots at the end of a name, so the "
                                u"tool reads " +
                                Quoted(opened));
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
        const std::optional<WString> target = LaunchTarget(root_, ansi, text_.ItemAnsiComplete());
        if (!target) return;
        const WString document = target->substr(root_.size());
        NoteDroppedEnd(document, u"launch document");
        if (HasParentSegment(document)) {
            Add(Severity::Warning,
                u"\"..\" in the launch line reaches outside the package "
                u"folder, and the tool runs elevated");
        }
        // Before any look-up of the name, which the checker's services make as Windows does.
        const WString opened = AsWindowsOpens(*target);
        if (const std::optional<WString> variant = OtherCase(opened)) {
            Add(Severity::Note, OtherCaseText(u"launch document", document, *variant));
            return;
        }
        if (!IsFileMissing(opened, WString())) return;
        if (CommentAfterItem(item) && !EndsInBlank(item)) {
            Add(Severity::Warning,
                u"\"//\" starts a comment, also in a web address: the launch line is cut to " +
                    Quoted(item) + u", and the tool would open " + Quoted(document) +
                    u", which is no document of the package; the tool opens only documents in "
                    u"the package folder");
            return;
        }
        Add(Severity::Warning,
            u"the launch document " + Quoted(document) + u" does not exist in the package");
    }

    WString OtherCaseText(const WString& what, const WString& written, const WString& found) {
        return u"the " + what + u" " + Quoted(written) + u" is in the package only as " +
               Quoted(found.substr(root_.size())) +
               u": Windows, whose file names ignore letter case, will find it; this system does "
               u"not";
    }

    // Reads the five lines after a header as the tool does; false when the file ends first. What
    // a line's value means is told once the action is read, since a condition and an action may
    // have swapped places.
    bool ReadSection() {
        SectionReader reader(text_);
        SectionOutline section;
        section.headerLine = reader.HeaderLine();
        ParameterLine lines[kParameterLineCount];
        WString meant[kParameterLineCount];
        for (int i = 0; i < kParameterLineCount; ++i) {
            ParameterLine& line = lines[i];
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
            if (line.role != ParameterRole::Message) NoteLeadingBlank(line.value);
            meant[i] = ReadParameterLine(line.role, line.value);
            if (line.role == ParameterRole::Message) CheckMessage(lines[2].value, line.value);
        }
        const ParameterLine& condition = lines[1];
        const ParameterLine& action = lines[2];
        const std::optional<WString> swapped = SwappedLinesTrap(condition.value, action.value);
        if (swapped) Add(action.line, Severity::Error, *swapped);
        for (int i = 0; i < kParameterLineCount; ++i) {
            const bool swappedLine =
                lines[i].role == ParameterRole::Condition || lines[i].role == ParameterRole::Action;
            if (meant[i].empty() || (swapped && swappedLine)) continue;
            for (LineTrap& trap : ParameterLineTraps(lines[i].role, meant[i]))
                Add(lines[i].line, trap.severity, std::move(trap.text));
        }
        section.condition = condition.value;
        section.action = SectionAction(action.value);
        section.actionLine = action.line;
        CheckSourceLine(lines[4], lines[3]);
        outline_().push_back(section);
        inSection_ = true;
        sectionOpen_ = true;
        sectionFiles_ = 0;
        sectionFolder_.reset();
        longest_ = {};
        doubles_.StartSection();
        misspeltHeaderInSection_ = false;
        return true;
    }

    // A required section's message: blank, or cut short by "//" right after a character, as in
    // a web address, which is most likely not meant as a comment.
    void CheckMessage(const WString& action, const WString& message) {
        if (auto blank = BlankMessageTrap(action, message)) {
            Add(Severity::Error, std::move(*blank));
            return;
        }
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
        if (sourceIsRoot_ && sectionFolder_ && !sectionFolder_->empty()) {
            Add(sourceLine_, Severity::Warning,
                u"the source line is " + Quoted(kRootMarker) +
                    u" and every file line begins with " + Quoted(*sectionFolder_) +
                    u": the files land in " + Quoted(*sectionFolder_) +
                    u" below INSTALLDIR too; where they belong in INSTALLDIR itself, write the "
                    u"source line " +
                    Quoted(kRootMarker + *sectionFolder_) + u" and the file lines without " +
                    Quoted(*sectionFolder_));
        }
        TellRoom();
    }

    // The room the section's longest file line leaves for INSTALLDIR, where it is short.
    void TellRoom() {
        if (longest_.line == 0) return;
        const size_t name = longest_.item.size();
        // Beyond the shortest INSTALLDIR ("C:\") the source path has reached the limit too,
        // which is told as the error it is.
        if (name + kRoomWorthTelling < kPathLengthLimit || name + 3 >= kPathLengthLimit) return;
        Add(longest_.line, Severity::Note,
            u"the section's longest file line leaves room for an INSTALLDIR of at most " +
                DecimalText(kPathLengthLimit - 1 - name) +
                u" characters (its backslash included): under a longer one its copy fails "
                u"(dry run with --installdir to check a machine's)");
    }

    // The cursor's checks of a parameter line; the value as its author meant it, for the checks
    // of what it means (empty: nothing more to tell).
    WString ReadParameterLine(ParameterRole role, const WString& value) {
        const WString name = ParameterRoleName(role);
        if (value == kSectionHeader) {
            Add(Severity::Error, u"section cut short: " + Quoted(kSectionHeader) +
                                     u" stands where its " + name +
                                     u" line belongs, and the tool reads it as that line");
            return WString();
        }
        if (value.empty()) {
            if (role != ParameterRole::Source) {
                Add(Severity::Warning, u"the " + name + u" line begins with a " + SeparatorName() +
                                           u": the tool reads it as empty");
            }
            return WString();
        }
        if (role == ParameterRole::Key) {
            const WString rest = TextAfterTab(value);
            if (!rest.empty()) {
                Add(Severity::Error, u"a TAB inside the registry key: the tool reads only " +
                                         Quoted(value) + u", and not " + Quoted(rest) +
                                         u" (a TAB separates items, and only the first counts)");
                return WString();
            }
        }
        if (role == ParameterRole::Action || role == ParameterRole::Message) return value;
        const std::optional<WString> consequence = BlanksConsequence(role, value);
        if (consequence && CheckTrailingBlanks(value, name, *consequence)) return TrimBlanks(value);
        return value;
    }

    void CheckSourceLine(const ParameterLine& source, const ParameterLine& message) {
        const std::optional<WString> folder = SectionSourceFolder(root_, source.value);
        sourceValid_ = folder.has_value();
        if (!sourceValid_) {
            WString text = u"the source line does not contain " + Quoted(kRootMarker) + u": " +
                           ToolStopsWith(kDirectoryNotValidText);
            if (SectionSourceFolder(root_, message.value)) {
                text += u" (line " + DecimalText(message.line) +
                        u", read as the message line, holds it: is a line missing above it?)";
            }
            Add(Severity::Error, text);
            return;
        }
        sourceFolder_ = *folder;
        sourceLine_ = source.line;
        sourceIsRoot_ = source.value == kRootMarker;
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
        const std::optional<NameFault> fault = WindowsNameFault(item);
        if (fault) Add(Severity::Error, RefusedFileNameText(item, *fault));
        if (HasParentSegment(item)) {
            Add(Severity::Warning,
                u"\"..\" in a file line reaches outside the product's folder, "
                u"and the tool runs elevated");
        }
        ++sectionFiles_;
        ++totalFiles_;
        KeepSectionShape(item);
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
        // A name Windows refuses cannot be looked for there either: the tool stops at it anyway.
        if (fault || misspeltSection) return;
        if (!sourceValid_ || CheckSource(item)) NoteDroppedEnd(item, u"file name");
    }

    // The folder every file line of the section begins with, and its longest line.
    void KeepSectionShape(const WString& item) {
        const WString folder = FirstFolder(item);
        if (!sectionFolder_) {
            sectionFolder_ = folder;
        } else if (!SameIgnoringCase(*sectionFolder_, folder)) {
            sectionFolder_ = WString();
        }
        if (item.size() > longest_.item.size()) longest_ = {item, Line()};
    }

    // False when the tool would not find the source: that is the finding.
    bool CheckSource(const WString& item) {
        const WString path = sourceFolder_ + item;
        if (path.size() >= kPathLengthLimit) {
            Add(Severity::Error, u"the source path is " + DecimalText(path.size()) +
                                     u" characters long: " + ToolStopsWith(kPathErrorCaption) +
                                     u" (paths of " + DecimalText(kPathLengthLimit) +
                                     u" or more cannot be opened)");
            return false;
        }
        const WString opened = AsWindowsOpens(path);
        const std::optional<WString> variant = OtherCase(opened);
        if (variant)
            Add(Severity::Note, OtherCaseText(u"source file", path.substr(root_.size()), *variant));
        const WString found = variant.value_or(opened);
        if (System().IsDirectory(found)) {
            Add(Severity::Error, u"the file line " + Quoted(item) +
                                     u" names a folder of the package: the tool copies files "
                                     u"only, and stops with " +
                                     Quoted(kFileReadErrorCaption) +
                                     u"; list the folder's files one by one");
            return false;
        }
        const OpenForReadResult probe = System().ProbeOpenForRead(found);
        if (probe.opened) return true;
        if (opened != path && NativeSystem().GetAttributes(path) != kInvalidFileAttributes) {
            Add(Severity::Error, u"the source file " + Quoted(path.substr(root_.size())) +
                                     u" ends in a dot or a blank, which Windows drops: the tool "
                                     u"looks for " +
                                     Quoted(opened.substr(root_.size())) +
                                     u", which is not in the package, and stops with " +
                                     Quoted(kFileReadErrorCaption) + u"; rename the file");
            return false;
        }
        const uint32_t attributes = System().GetAttributes(found);
        if (attributes != kInvalidFileAttributes && (attributes & kFileAttributeReparsePoint)) {
            Add(Severity::Error, u"the source file " + Quoted(path.substr(root_.size())) +
                                     u" is a link whose target is not there: the tool stops "
                                     u"with " +
                                     Quoted(kFileReadErrorCaption) +
                                     u"; put the file itself in the package");
            return false;
        }
        const WString why = WithoutLineEnd(
            System().SystemErrorText(probe.error).value_or(u"error " + DecimalText(probe.error)));
        Add(Severity::Error, u"cannot open the source file " + Quoted(path.substr(root_.size())) +
                                 u": " + why + u" The tool stops with " +
                                 Quoted(kFileReadErrorCaption) + u"." +
                                 (probe.error == kErrorFileNotFound ? ClosestThere(opened) : u""));
        return false;
    }

    // The names in a missing source's folder closest to it: a slip of the pen, or a name that
    // only looks the same (a decomposed accent, a no-break space), shown escaped.
    WString ClosestThere(const WString& missing) const {
        const size_t leaf = missing.find_last_of(u"\\/") + 1;
        // Shown below the package folder, as the finding names the missing file.
        const size_t shownFrom = missing.compare(0, root_.size(), root_) == 0 ? root_.size() : 0;
        const WString folder = missing.substr(shownFrom, leaf - std::min(leaf, shownFrom));
        WString text;
        // A source is a file: a folder is never the one meant.
        for (const WString& name : ClosestNamesIn(missing.substr(0, leaf), missing.substr(leaf),
                                                  kFileAttributeDirectory)) {
            text += (text.empty() ? u" The closest there: " : u", ") + Quoted(folder + name);
        }
        return text;
    }

    ListOutline& outline_() { return result_.outline; }

    struct FileLine {
        WString item;
        uint32_t line = 0;
    };

    CTextLine text_;
    WString root_;
    LintResult result_;
    bool inSection_ = false;
    bool sourceValid_ = false;
    WString sourceFolder_;
    uint32_t sourceLine_ = 0;
    bool sourceIsRoot_ = false;             // the source line is "%Root%\" alone
    std::optional<WString> sectionFolder_;  // the first folder all its file lines share
    FileLine longest_;                      // the section's longest file line
    size_t sectionFiles_ = 0;
    size_t totalFiles_ = 0;
    int misspeltSectionLines_ = 0;
    bool sectionOpen_ = false;
    bool misspeltHeaderInSection_ = false;
    DoubleListings doubles_;
    std::vector<uint32_t> leadingBlankLines_;
};
}  // namespace

WString RefusedFileNameText(const WString& item, const NameFault& fault) {
    return u"the file name " + Quoted(item) + u" cannot be written on Windows: " +
           WindowsNameFaultText(fault) + u"; the tool stops at it before it copies anything";
}

LintResult LintList(const std::string& bytes, const WString& rootFolder) {
    return ListLinter(rootFolder).Run(bytes);
}
