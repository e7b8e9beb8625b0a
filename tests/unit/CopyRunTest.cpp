// The copy run, all or nothing, through the system's services with the answers the system may
// give put in place, and a record of what the run tells and asks: whatever fails, whenever the
// run is killed, the product ends as its old version or, after the next run, as the new one, and
// no file the tool did not make is ever lost.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "norvane/CopyRun.h"
#include "norvane/SameBytes.h"
#include "support/RecordingServices.h"

namespace {
constexpr uint32_t kFault = 1117;  // a device's failure: no waiting changes it

// This machine's files (natively or under Wine), a clock that only the run's own pauses move,
// programs holding files, and the system's answers put in place of its own. A step is a call
// that changes the files; the step `failAt` fails, and from `killAt` on nothing changes any more,
// as when the process is killed there.
class RunServices : public RecordingServices {
public:
    uint64_t now = 0;
    std::map<WString, uint64_t> heldUntil;  // denies writing and deleting till then
    std::function<uint32_t(const WString&, const WString&, const WString&)> replace;
    std::function<uint32_t(const WString&, const WString&)> move;
    std::optional<std::vector<FileHolder>> holders;
    std::vector<std::pair<WString, WString>> atRestart;  // renames queued for the restart
    std::set<WString> unlisted;                          // names the folder listing misses
    uint64_t freeBytes = UINT64_MAX;
    std::set<WString> links;               // paths that are links (reparse points)
    std::map<WString, WString> elsewhere;  // where the system resolves these paths
    uint32_t partialCopyFails = 0;         // each write to a copy answers this once done
    int steps = 0, failAt = 0, killAt = 0;

    bool Held(const WString& path) const {
        auto found = heldUntil.find(path);
        return found != heldUntil.end() && now < found->second;
    }
    bool Killed() const { return killAt != 0 && steps >= killAt; }
    bool Step() {
        if (Killed()) return false;
        ++steps;
        return steps != failAt && !Killed();
    }
    // Runs the program again from here: the files as the last run left them.
    void Restart() { killAt = failAt = steps = 0; }
    // The system's renames at the restart: a missing source is skipped.
    void ApplyRestartRenames() {
        for (const auto& [from, to] : atRestart) {
            if (base_.QueryFile(from).error != 0) continue;
            static_cast<void>(base_.SetAttributes(to, kFileAttributeNormal));
            static_cast<void>(base_.RemoveFile(to));
            static_cast<void>(base_.MoveToNewName(from, to));
        }
        atRestart.clear();
    }

    uint64_t Milliseconds() override { return now; }
    uint32_t GetAttributes(const WString& path) override {
        const uint32_t attributes = base_.GetAttributes(path);
        return attributes | (links.count(path) && attributes != kInvalidFileAttributes
                                 ? kFileAttributeReparsePoint
                                 : 0);
    }
    void Pause(uint32_t milliseconds) override { now += milliseconds; }
    Answer<std::vector<FileFacts>> ListFolder(const WString& folder) override {
        auto listing = base_.ListFolder(folder);
        if (listing.error != 0) return listing;
        std::vector<FileFacts> shown;
        for (FileFacts& facts : listing.value) {
            if (links.count(folder + facts.name)) facts.attributes |= kFileAttributeReparsePoint;
            if (!unlisted.count(facts.name)) shown.push_back(std::move(facts));
        }
        return {0, std::move(shown)};
    }
    OpenedFile OpenFile(const WString& path, FileAccess access) override;
    OpenedFile CreateNewFile(const WString& path) override;
    uint32_t SetAttributes(const WString& path, uint32_t attributes) override {
        return Killed() ? kFault : base_.SetAttributes(path, attributes);
    }
    uint32_t MakeDirectory(const WString& path) override {
        return Step() ? base_.MakeDirectory(path) : kFault;
    }
    uint32_t RemoveFolder(const WString& path) override {
        return Step() ? base_.RemoveFolder(path) : kFault;
    }
    OpenForReadResult ProbeOpenForRead(const WString& path) override;
    // ReplaceFileW as its two renames, each a step: a kill between them leaves the old file
    // under the backup name and the destination's name free.
    uint32_t ReplaceKeepingBackup(const WString& replaced, const WString& replacement,
                                  const WString& backup) override {
        if (Held(replaced)) return kErrorSharingViolation;
        if (replace) return replace(replaced, replacement, backup);
        if (!Step()) return kFault;
        static_cast<void>(base_.RemoveFile(backup));  // ReplaceFileW writes over a backup
        if (const uint32_t error = base_.MoveToNewName(replaced, backup)) return error;
        if (!Step()) return kErrorUnableToMoveReplacement2;
        return base_.MoveToNewName(replacement, replaced);
    }
    uint32_t MoveToNewName(const WString& from, const WString& to) override {
        if (Held(from)) return kErrorAccessDenied;
        if (!Step()) return kFault;
        return move ? move(from, to) : base_.MoveToNewName(from, to);
    }
    uint32_t RemoveFile(const WString& path) override {
        if (Held(path)) return kErrorSharingViolation;
        return Step() ? base_.RemoveFile(path) : kFault;
    }
    uint32_t RemoveAtRestart(const WString&) override { return Step() ? 0 : kFault; }
    uint32_t ReplaceAtRestart(const WString& from, const WString& to) override {
        if (!Step()) return kFault;
        atRestart.emplace_back(from, to);
        return 0;
    }
    Answer<VolumeSpace> FreeSpace(const WString&) override { return {0, {u"T:\\", freeBytes}}; }
    Answer<std::vector<FileHolder>> WhoHolds(const WString&) override {
        return {holders ? 0 : kErrorNotSupported, holders.value_or(std::vector<FileHolder>())};
    }
};

// A file the run opened (a source, a copy, a destination's name): its renames and deletions have
// the same holds, steps and answers as changes by name, a held source is locked against reading,
// and it has the links and places the test says.
class ChangeFile : public SystemFile {
public:
    ChangeFile(RunServices& os, WString path, std::shared_ptr<SystemFile> file)
        : os_(os), path_(std::move(path)), file_(std::move(file)) {}
    uint32_t Read(uint8_t* buffer, uint32_t capacity, uint32_t& count) override {
        // A program that locks the file's bytes for a while.
        if (os_.Held(path_)) return kErrorLockViolation;
        return file_->Read(buffer, capacity, count);
    }
    uint32_t Write(const uint8_t* data, uint32_t size) override {
        const uint32_t error = file_->Write(data, size);
        return error != 0 ? error : os_.partialCopyFails;
    }
    uint32_t Rewind() override { return file_->Rewind(); }
    uint64_t LastWriteTime() override { return file_->LastWriteTime(); }
    uint32_t Stamp(uint32_t attributes, uint64_t time) override {
        return file_->Stamp(attributes, time);
    }
    uint32_t Attributes() override {
        return file_->Attributes() | (os_.links.count(path_) ? kFileAttributeReparsePoint : 0);
    }
    // Where the system resolves the name: where the test says, else the name itself.
    std::optional<WString> FinalPath() override {
        auto elsewhere = os_.elsewhere.find(path_);
        if (elsewhere != os_.elsewhere.end()) return elsewhere->second;
        WString path = path_.compare(0, 4, u"\\\\?\\") == 0 ? path_.substr(4) : path_;
        return path.back() == u'\\' ? path.substr(0, path.size() - 1) : path;
    }
    uint32_t Remove() override {
        if (os_.Held(path_)) return kErrorSharingViolation;
        return os_.Step() ? file_->Remove() : kFault;
    }
    uint32_t Rename(const WString& to) override {
        if (os_.Held(path_)) return kErrorAccessDenied;
        if (!os_.Step()) return kFault;
        if (!os_.move) return file_->Rename(to);
        // The test's answer renames by name, which a handle still open would refuse under Wine.
        file_.reset();
        return os_.move(path_, to);
    }

private:
    RunServices& os_;
    WString path_;
    std::shared_ptr<SystemFile> file_;
};

OpenedFile RunServices::CreateNewFile(const WString& path) {
    if (!Step()) return {kFault, nullptr};
    OpenedFile made = base_.CreateNewFile(path);
    if (made.error == 0)
        made.value = std::make_unique<ChangeFile>(*this, path, std::move(made.value));
    return made;
}

OpenForReadResult RunServices::ProbeOpenForRead(const WString& path) {
    OpenForReadResult probe = RecordingServices::ProbeOpenForRead(path);
    if (probe.file) {
        probe.file = std::make_shared<ChangeFile>(*this, path, std::move(probe.file));
    }
    return probe;
}

OpenedFile RunServices::OpenFile(const WString& path, FileAccess access) {
    if (access == FileAccess::Replace && Held(path)) return {kErrorSharingViolation, nullptr};
    OpenedFile opened = base_.OpenFile(path, access);
    if (opened.error == 0 && access != FileAccess::Replace && access != FileAccess::ReadAndStamp) {
        opened.value = std::make_unique<ChangeFile>(*this, path, std::move(opened.value));
    }
    return opened;
}

// What the run tells and asks; files in use are answered in turn (Cancel when none is left).
class RecordingEvents : public RunEvents {
public:
    std::vector<InUseAnswer> answers;
    std::function<void()> beforeAnswer;
    std::vector<WString> questions;
    std::vector<RunMessage> told;
    std::optional<bool> ended;

    void ShowNow() override {}
    void Tell(const RunMessage& message) override { told.push_back(message); }
    InUseAnswer AskFilesInUse(const WString& text) override {
        questions.push_back(text);
        if (beforeAnswer) beforeAnswer();
        if (questions.size() > answers.size()) return InUseAnswer::Cancel;
        return answers[questions.size() - 1];
    }
    void Ended(bool complete) override { ended = complete; }
    std::string Told() const {
        std::string text;
        for (const RunMessage& message : told) text += Narrow(message.text) + "|";
        return text;
    }
};

// A listed file: its name under the package's folder and the product's, the bytes it brings, and
// the bytes already at its destination (none: no file there).
struct Listed {
    WString name;
    std::string bytes;
    std::optional<std::string> old;
    bool readOnly = false;  // the file already there
};

// The demo of every road: a changed read-only file, an unchanged one, a new one in a new folder,
// a second changed one; and a file of the user's that the list does not name.
const std::vector<Listed> kProduct = {
    {u"changed.dll", "changed!", "old", true},
    {u"same.dll", "same", "same"},
    {u"Data\\new.dat", "new", std::nullopt},
    {u"b.dll", "bbbb", "bb"},
};
const char kBefore[] = "b.dll=bb changed.dll=old(ro) keep.txt=mine same.dll=same ";
const char kAfter[] =
    "Data/ Data/new.dat=new b.dll=bbbb changed.dll=changed! keep.txt=mine same.dll=same ";

struct Package {
    TempFolder temp;
    RunServices os;
    ScopedSystemOverride inPlace{os};
    std::vector<Listed> files;
    bool sourcesOpen = true;  // the preparation leaves each source open for the copy

    explicit Package(std::vector<Listed> listed = kProduct) : files(std::move(listed)) {
        temp.WriteFile(u"dst\\keep.txt", "mine");
        for (const Listed& file : files) Lay(file);
    }
    void Lay(const Listed& file) {
        temp.WriteFile(u"pkg\\" + file.name, file.bytes);
        if (!file.old) return;
        temp.WriteFile(u"dst\\" + file.name, *file.old);
        if (file.readOnly) {
            ASSERT_EQ(NativeSystem().SetAttributes(Destination(file.name), kFileAttributeReadOnly),
                      0u);
        }
    }
    WString Destination(const WString& name) const { return temp / (u"dst\\" + name); }

    // A run as the preparation leaves it: the copy list with each source's size, and the
    // source open.
    bool Run(RecordingEvents& events) {
        auto state = std::make_unique<AppState>();
        for (const Listed& file : files) {
            state->CopyList.push_back(
                {file.name, temp / u"pkg\\", temp / u"dst\\", file.bytes.size(), nullptr});
            if (sourcesOpen) {
                state->CopyList.back().source =
                    os.ProbeOpenForRead(temp / (u"pkg\\" + file.name)).file;
            }
            state->totalBytes += file.bytes.size();
        }
        state->entryCount = static_cast<int32_t>(state->CopyList.size());
        const bool complete = CopyRun(*state, events).Run();
        EXPECT_EQ(events.ended, complete);
        if (complete) {
            EXPECT_EQ(state->copiedBytes, state->totalBytes);
        }
        return complete;
    }
    bool Rerun() {
        os.Restart();
        RecordingEvents events;
        return Run(events);
    }
    // The product's folder, every file and folder in name order: "name=bytes", "(ro)" for a
    // read-only file.
    std::string Tree() const {
        std::map<std::string, std::string> entries;
        const std::filesystem::path root = temp.Host(u"dst");
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            std::string name = entry.path().lexically_relative(root).generic_string();
            if (entry.is_directory()) {
                entries[name + "/"] = "";
                continue;
            }
            WString wide = Wide(name);
            for (WChar& unit : wide) unit = unit == u'/' ? u'\\' : unit;
            const bool readOnly =
                (NativeSystem().GetAttributes(Destination(wide)) & kFileAttributeReadOnly) != 0;
            entries[name] = "=" + *temp.ReadFile(u"dst\\" + wide) + (readOnly ? "(ro)" : "");
        }
        std::string tree;
        for (const auto& [name, bytes] : entries) tree += name + bytes + " ";
        return tree;
    }
};

// A product's folder without the old files that wait to be removed at the restart.
std::string WithoutBackups(const std::string& tree) {
    std::string kept;
    for (size_t start = 0, end; start < tree.size(); start = end + 1) {
        end = tree.find(' ', start);
        const std::string entry = tree.substr(start, end - start);
        if (entry.find("~norvane.old=") == std::string::npos) kept += entry + " ";
    }
    return kept;
}

// The number of steps of a run that goes through, for the tables that stop it at each.
int StepsOfARun() {
    Package package;
    RecordingEvents events;
    EXPECT_TRUE(package.Run(events));
    EXPECT_EQ(package.Tree(), kAfter);
    return package.os.steps;
}

TEST(CopyRun, EachStepFailingInTurnLeavesTheInstallationAsItWasOrComplete) {
    const int steps = StepsOfARun();
    ASSERT_GT(steps, 8);
    for (int step = 1; step <= steps; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        Package package;
        package.os.failAt = step;
        RecordingEvents events;
        if (package.Run(events)) {
            // Past the last swap only an old file's removal can fail; the system removes it at
            // the restart, and the next run sweeps it.
            EXPECT_EQ(WithoutBackups(package.Tree()), kAfter);
            continue;
        }
        EXPECT_EQ(package.Tree(), kBefore);
        const std::string told = events.Told();
        EXPECT_TRUE(told.find("The installation was left as it was.") != std::string::npos ||
                    told == "Failed to make directory.|")
            << told;
        // The next run goes through.
        EXPECT_TRUE(package.Rerun());
        EXPECT_EQ(package.Tree(), kAfter);
    }
}

TEST(CopyRun, AKillBetweenAnyTwoStepsIsFinishedByTheNextRun) {
    const int steps = StepsOfARun();
    // Killed on the way, and killed while undoing a failure at each step.
    for (int failAt = 0; failAt <= steps; ++failAt) {
        for (int killAt = failAt + 1; killAt <= steps + 6; ++killAt) {
            SCOPED_TRACE("fail at " + std::to_string(failAt) + ", killed at " +
                         std::to_string(killAt));
            Package package;
            package.os.failAt = failAt;
            package.os.killAt = killAt;
            RecordingEvents events;
            package.Run(events);
            EXPECT_TRUE(package.Rerun());
            EXPECT_EQ(package.Tree(), kAfter);
        }
    }
}

// What ReplaceFileW is documented to leave with each answer, made so on the real files.
uint32_t OldFileAside(const WString& replaced, const WString& backup) {
    static_cast<void>(NativeSystem().MoveToNewName(replaced, backup));
    return kErrorUnableToMoveReplacement2;
}
bool IsBackup(const WString& path) {
    return path.size() > 4 && path.substr(path.size() - 4) == u".old";
}

TEST(CopyRun, EveryAnswerOfTheSwapOfTheLastFileEndsWithTheOldVersionOrTheNew) {
    const struct {
        const char* name;
        // ReplaceFileW's answer for b.dll, the last swap; renames the test refuses
        std::function<uint32_t(RunServices&, const WString&, const WString&, const WString&)> swap;
        std::function<bool(const WString& from)> refuseMove;
        bool complete;
        std::string tree, told;
        uint64_t waited;  // at least, in milliseconds
    } rows[] = {
        {"1175: both files keep their names",
         [](RunServices&, auto&, auto&, auto&) { return kErrorUnableToRemoveReplaced; }, nullptr,
         false, kBefore, "left as it was", 2000},
        {"1176 with a backup name: both keep their names",
         [](RunServices&, auto&, auto&, auto&) { return kErrorUnableToMoveReplacement; }, nullptr,
         false, kBefore, "left as it was", 2000},
        {"1176 as without a backup name: the old file gone, the copy under its own name",
         [](RunServices& os, const WString& r, auto&, auto&) {
             os.replace = nullptr;
             static_cast<void>(NativeSystem().RemoveFile(r));
             return kErrorUnableToMoveReplacement;
         },
         nullptr, true, kAfter, "", 0},
        {"1177: the old file aside, put back each time",
         [](RunServices&, const WString& r, auto&, const WString& b) { return OldFileAside(r, b); },
         nullptr, false, kBefore, "left as it was", 2000},
        {"1177, the old file refused its way back: the copy takes its place",
         [](RunServices& os, const WString& r, auto&, const WString& b) {
             os.replace = nullptr;
             return OldFileAside(r, b);
         },
         IsBackup, true, kAfter, "", 0},
        {"1177, every way back refused: both stay beside the empty name, and are named",
         [](RunServices&, const WString& r, auto&, const WString& b) { return OldFileAside(r, b); },
         [](const WString& from) { return from.find(u"b.dll") != WString::npos; }, false,
         "b.dll~norvane.new=bbbb b.dll~norvane.old=bb changed.dll=old(ro) keep.txt=mine "
         "same.dll=same ",
         "b.dll: its old copy is ", 4000},
        {"a sharing violation for ever",
         [](RunServices&, auto&, auto&, auto&) { return kErrorSharingViolation; }, nullptr, false,
         kBefore, "left as it was", 2000},
        {"access denied for 800 ms",
         [](RunServices& os, const WString& r, const WString& c, const WString& b) {
             return os.now < 800 ? kErrorAccessDenied
                                 : NativeSystem().ReplaceKeepingBackup(r, c, b);
         },
         nullptr, true, kAfter, "", 800},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Package package;
        RunServices& os = package.os;
        const auto swap = row.swap;
        os.replace = [&os, swap](const WString& r, const WString& c, const WString& b) {
            if (r.find(u"b.dll") == WString::npos)
                return NativeSystem().ReplaceKeepingBackup(r, c, b);
            return swap(os, r, c, b);
        };
        const auto refuse = row.refuseMove;
        os.move = [refuse](const WString& from, const WString& to) {
            return refuse && refuse(from) ? kErrorAccessDenied
                                          : NativeSystem().MoveToNewName(from, to);
        };
        RecordingEvents events;
        EXPECT_EQ(package.Run(events), row.complete);
        EXPECT_EQ(package.Tree(), row.tree);
        EXPECT_NE(events.Told().find(row.told), std::string::npos) << events.Told();
        EXPECT_GE(os.now, row.waited);
        // Whatever was left, the next run finishes the update.
        os.replace = nullptr;
        os.move = nullptr;
        EXPECT_TRUE(package.Rerun());
        EXPECT_EQ(package.Tree(), kAfter);
    }
}

TEST(CopyRun, AnUndoThatCannotPutAFileBackNamesItAndWhereItsOldCopyIs) {
    const struct {
        const char* name;
        std::function<bool(const WString& from)> refuseMove;  // while undoing
        std::string tree;
    } rows[] = {
        {"the new file cannot step aside", [](const WString& from) { return !IsBackup(from); },
         "b.dll=bb changed.dll=changed! changed.dll~norvane.old=old keep.txt=mine "
         "same.dll=same "},
        {"the old file cannot go back", IsBackup,
         "b.dll=bb changed.dll=changed! changed.dll~norvane.old=old keep.txt=mine "
         "same.dll=same "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Package package;
        RunServices& os = package.os;
        bool undoing = false;
        os.replace = [&](const WString& r, const WString& c, const WString& b) {
            if (r.find(u"b.dll") == WString::npos)
                return NativeSystem().ReplaceKeepingBackup(r, c, b);
            undoing = true;
            return kFault;
        };
        const auto refuse = row.refuseMove;
        os.move = [&, refuse](const WString& from, const WString& to) {
            const bool data = from.find(u"changed.dll") != WString::npos;
            return undoing && data && refuse(from) ? kErrorAccessDenied
                                                   : NativeSystem().MoveToNewName(from, to);
        };
        RecordingEvents events;
        EXPECT_FALSE(package.Run(events));
        EXPECT_EQ(package.Tree(), row.tree);
        EXPECT_NE(
            events.Told().find("These files could not be put back:\r\n" +
                               Narrow(package.Destination(u"changed.dll")) + ": its old copy is " +
                               Narrow(package.Destination(u"changed.dll~norvane.old"))),
            std::string::npos)
            << events.Told();
        os.replace = nullptr;
        os.move = nullptr;
        EXPECT_TRUE(package.Rerun());
        EXPECT_EQ(package.Tree(), kAfter);
    }
}

TEST(CopyRun, AFileInUseIsNamedWaitedForOrReplacedAtTheRestart) {
    // clang-format off
    const struct {
        const char* name;
        std::vector<InUseAnswer> answers;
        bool releaseBeforeAnswer, complete;
        std::string tree, afterRestart;
        uint32_t exitCode;  // of the box told, 0: none
    } rows[] = {
        {"Cancel", {InUseAnswer::Cancel}, false, false, kBefore, kBefore, 0},
        {"Try Again, still held, then Cancel", {InUseAnswer::TryAgain}, false, false, kBefore,
         kBefore, 0},
        {"Try Again once the program is closed", {InUseAnswer::TryAgain}, true, true, kAfter,
         kAfter, 0},
        {"Continue",
         {InUseAnswer::Continue},
         false,
         true,
         "Data/ Data/new.dat=new b.dll=bbbb changed.dll=old changed.dll~norvane.new=changed! "
         "keep.txt=mine same.dll=same ",
         kAfter,
         kExitRestartNeeded},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Package package;
        const WString held = package.Destination(u"changed.dll");
        package.os.heldUntil[held] = UINT64_MAX;
        package.os.holders = std::vector<FileHolder>{{u"Ledger", 42}};
        RecordingEvents events;
        events.answers = row.answers;
        if (row.releaseBeforeAnswer) events.beforeAnswer = [&] { package.os.heldUntil.clear(); };
        EXPECT_EQ(package.Run(events), row.complete);
        ASSERT_GE(events.questions.size(), 1u) << events.Told();
        EXPECT_NE(Narrow(events.questions[0])
                      .find(Narrow(held) + "\r\n    in use by Ledger (process 42)"),
                  std::string::npos)
            << Narrow(events.questions[0]);
        EXPECT_EQ(package.Tree(), row.tree);
        EXPECT_EQ(events.told.empty() ? 0u : events.told.back().exitCode, row.exitCode);
        package.os.heldUntil.clear();
        package.os.ApplyRestartRenames();
        EXPECT_EQ(package.Tree(), row.afterRestart);
    }
}

TEST(CopyRun, AStagedCopyWaitingForTheRestartIsNeverUndoneBehindItsBack) {
    // An unattended run lets the held file wait for the restart, then a later failure undoes the
    // run: its copy goes, so the restart has nothing to put in place.
    {
        Package package;
        package.os.heldUntil[package.Destination(u"changed.dll")] = UINT64_MAX;
        package.os.replace = [](const WString& r, const WString& c, const WString& b) {
            return r.find(u"b.dll") != WString::npos ? kFault
                                                     : NativeSystem().ReplaceKeepingBackup(r, c, b);
        };
        RecordingEvents events;
        events.answers = {InUseAnswer::Continue};
        EXPECT_FALSE(package.Run(events));
        package.os.heldUntil.clear();
        package.os.ApplyRestartRenames();
        EXPECT_EQ(package.Tree(), kBefore);
    }
    // A later run before the restart: while the file is held its waiting copy stays, and the
    // later run queues its own; once the program is closed, a run replaces the file now and
    // removes every waiting copy, so the restart cannot put an older one back.
    {
        Package package;
        const WString held = package.Destination(u"changed.dll");
        package.os.heldUntil[held] = UINT64_MAX;
        for (int run = 0; run < 2; ++run) {
            RecordingEvents events;
            events.answers = {InUseAnswer::Continue};
            EXPECT_TRUE(package.Run(events));
        }
        EXPECT_EQ(package.os.atRestart.size(), 2u);
        package.os.heldUntil.clear();
        package.files[0].bytes = "newest";
        package.Lay(package.files[0]);
        ASSERT_EQ(NativeSystem().SetAttributes(held, kFileAttributeNormal), 0u);
        EXPECT_TRUE(package.Rerun());
        package.os.ApplyRestartRenames();
        EXPECT_EQ(package.Tree(),
                  "Data/ Data/new.dat=new b.dll=bbbb changed.dll=newest keep.txt=mine "
                  "same.dll=same ");
    }
}

TEST(CopyRun, NothingIsWrittenWhereTheBytesDoNotFitAFolderCannotBeMadeOrANameIsRefused) {
    {
        Package package;
        package.os.freeBytes = 10;  // 15 are to be written
        RecordingEvents events;
        EXPECT_FALSE(package.Run(events));
        EXPECT_EQ(package.os.steps, 0);
        EXPECT_EQ(events.Told(),
                  "There is not enough free space on T:\\ for the update.\r\nIt needs 15 bytes; "
                  "10 bytes are free.\r\n\r\nThe installation was left as it was.|");
    }
    {
        Package package;
        package.temp.WriteFile(u"dst\\Data", "a file where the folder must be");
        RecordingEvents events;
        EXPECT_FALSE(package.Run(events));
        ASSERT_EQ(events.told.size(), 1u);
        EXPECT_EQ(Narrow(events.told[0].text), "Failed to make directory.");
        EXPECT_NE(Narrow(events.told[0].debugReport)
                      .find("Failed to make directory. " + Narrow(package.Destination(u"Data\\"))),
                  std::string::npos)
            << Narrow(events.told[0].debugReport);
        EXPECT_EQ(package.Tree(), "Data=a file where the folder must be " + std::string(kBefore));
    }
    {
        // A name Windows refuses, listed last: found before the first file is touched.
        std::vector<Listed> listed = kProduct;
        listed.push_back({u"Notes\\What's new?.txt", "?", std::nullopt});
        Package package(listed);
        RecordingEvents events;
        EXPECT_FALSE(package.Run(events));
        EXPECT_EQ(package.os.steps, 0);
        EXPECT_EQ(events.Told(),
                  "The name \"Notes\\What's new?.txt\" of the list cannot be written on Windows: "
                  "\"?\" is a character Windows refuses in a name.\r\n\r\nThe installation was "
                  "left as it was.|");
        EXPECT_EQ(package.Tree(), kBefore);
    }
}

TEST(CopyRun, NothingIsWrittenRenamedOrDeletedThroughALinkBelowInstallDir) {
    const struct {
        const char* name;
        std::vector<WString> links;  // under dst\ (dst itself: INSTALLDIR)
        const char* refused;         // the link named, or none: the run completes
    } rows[] = {
        {"a folder on the way", {u"Data"}, "Data"},
        {"the destination", {u"b.dll"}, "b.dll"},
        {"INSTALLDIR itself, as a product moved to another drive has it", {u""}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Package package;
        package.temp.MakeFolder(u"dst\\Data");
        for (const WString& link : row.links) {
            package.os.links.insert(link.empty() ? package.temp / u"dst"
                                                 : package.Destination(link));
        }
        RecordingEvents events;
        EXPECT_EQ(package.Run(events), row.refused == nullptr);
        if (!row.refused) continue;
        EXPECT_EQ(package.os.steps, 0);
        EXPECT_EQ(events.Told(), Narrow(package.Destination(Wide(row.refused))) +
                                     " is a link; the update does not write through links.\r\n\r\n"
                                     "The installation was left as it was.|");
    }
    // What an interrupted run left is changed only through a handle of the name itself, once
    // it is known to be no link and to lie in the folder: anything else stays.
    Package package;
    package.temp.WriteFile(u"dst\\b.dll~norvane.new", "planted");
    package.temp.WriteFile(u"dst\\x.dll~norvane.old", "planted too");
    package.os.links.insert(package.Destination(u"b.dll~norvane.new"));
    package.os.elsewhere[package.Destination(u"x.dll~norvane.old")] = u"C:\\Windows\\x.dll";
    RecordingEvents events;
    EXPECT_TRUE(package.Run(events));
    EXPECT_EQ(package.Tree(),
              "Data/ Data/new.dat=new b.dll=bbbb b.dll~norvane.new=planted "
              "changed.dll=changed! keep.txt=mine same.dll=same "
              "x.dll~norvane.old=planted too ");
}

TEST(CopyRun, TheBytesDecideWhatIsWrittenAndHoldsAreWaitedOut) {
    const struct {
        const char* name;
        std::optional<std::string> old;
        uint64_t heldUntil;  // the destination (or, with none, the source) held by a program
        bool unlisted;       // the folder's listing misses the file there
        const char* result;  // in the log's words
        uint64_t waited;
    } rows[] = {
        {"same bytes: left in place", "new!", 0, false, "unchanged", 0},
        {"same size, one byte other", "new?", 0, false, "replaced", 0},
        {"same bytes, held by a program that reads it", "new!", UINT64_MAX, false, "unchanged", 0},
        {"other bytes, held for 800 ms", "old!", 800, false, "replaced", 800},
        {"no destination", std::nullopt, 0, false, "new", 0},
        {"no destination, the source locked for 800 ms", std::nullopt, 800, false, "new", 800},
        {"a file there that the listing missed", "old", 0, true, "replaced", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Package package({{u"f.dll", "new!", row.old, true}});
        if (row.heldUntil) {
            package.os
                .heldUntil[row.old ? package.Destination(u"f.dll") : package.temp / u"pkg\\f.dll"] =
                row.heldUntil;
        }
        if (row.unlisted) package.os.unlisted.insert(u"f.dll");
        RunLog& log = CurrentRun().log;
        package.temp.WriteFile(u"run.log", "");
        ASSERT_EQ(log.Open(package.temp / u"run.log"), 0u);
        RecordingEvents events;
        EXPECT_TRUE(package.Run(events));
        log.Close();
        EXPECT_EQ(package.Tree(), "f.dll=new! keep.txt=mine ");
        const std::string logged = *package.temp.ReadFile(u"run.log");
        EXPECT_NE(logged.find("f.dll: " + std::string(row.result) + ", 4 bytes"), std::string::npos)
            << logged;
        EXPECT_GE(package.os.now, row.waited);
        EXPECT_LT(package.os.now, row.waited + (row.waited ? 1000 : 1));
        if (std::string(row.result) == "unchanged") {
            // Nothing written, and the file as a copy leaves it: normal, with the source's time.
            EXPECT_EQ(package.os.QueryFile(package.Destination(u"f.dll")).value.lastWriteTime,
                      package.os.QueryFile(package.temp / u"pkg\\f.dll").value.lastWriteTime);
        }
    }
}

TEST(CopyRun, ANameOfAnyFormCopiesAndNeverLosesAnotherFile) {
    // File lines named as a destination's side files are files like any other: their bytes stay
    // theirs, and the copies beside the destinations take the next free names. A copy that fails
    // after writing part of its file takes that part with it.
    Package package({{u"f.dll", "new!", "old"},
                     {u"f.dll~norvane.new", "listed", "listed before"},
                     {u"f.dll~norvane.old", "listed too", std::nullopt},
                     {u"Sub/x.dat", "slash", std::nullopt}});
    RecordingEvents events;
    EXPECT_TRUE(package.Run(events));
    EXPECT_EQ(package.Tree(),
              "Sub/ Sub/x.dat=slash f.dll=new! f.dll~norvane.new=listed "
              "f.dll~norvane.old=listed too keep.txt=mine ");
    Package partial;
    partial.os.partialCopyFails = kErrorDiskFull;
    RecordingEvents failed;
    EXPECT_FALSE(partial.Run(failed));
    EXPECT_EQ(partial.Tree(), kBefore);
}

TEST(CopyRun, EveryCopyEndsWritableWithItsSourcesTimeFromTheSourceOpenOrOpenedByName) {
    // Read-only sources, copied from where the preparation left them open, or opened by name.
    for (const bool sourcesOpen : {true, false}) {
        SCOPED_TRACE(sourcesOpen ? "sources open" : "sources opened by name");
        Package package({{u"Data\\one.dat", "one", std::nullopt},
                         {u"Data\\two.dat", "two", std::nullopt},
                         {u"old.dll", "new", "old", true}});
        package.sourcesOpen = sourcesOpen;
        for (const Listed& file : package.files) {
            ASSERT_EQ(NativeSystem().SetAttributes(package.temp / (u"pkg\\" + file.name),
                                                   kFileAttributeReadOnly),
                      0u);
        }
        RecordingEvents events;
        EXPECT_TRUE(package.Run(events));
        EXPECT_EQ(package.Tree(),
                  "Data/ Data/one.dat=one Data/two.dat=two keep.txt=mine old.dll=new ");
        for (const Listed& file : package.files) {
            EXPECT_EQ(
                package.os.QueryFile(package.Destination(file.name)).value.lastWriteTime,
                package.os.QueryFile(package.temp / (u"pkg\\" + file.name)).value.lastWriteTime);
        }
        for (const Listed& file : package.files) {
            ASSERT_EQ(NativeSystem().SetAttributes(package.temp / (u"pkg\\" + file.name),
                                                   kFileAttributeNormal),
                      0u);
        }
    }
}

TEST(DestinationFolder, ClearsOnlyTheLeftoversOfAnInterruptedRun) {
    TempFolder temp;
    const std::string longName(250, 'L');
    const std::map<WString, std::string> before = {
        {u"a.dll", "new"},                 // replaced, and the old file left aside
        {u"a.dll~norvane.old", "old a"},   //   so it goes
        {u"a.dll~norvane2.new", "copy"},   // a copy that never took its place goes
        {u"b.dll~norvane.old", "old b"},   // stopped between the renames: put back
        {u"h.dll", "held"},                // held by a program
        {u"h.dll~norvane.new", "waits"},   //   so its copy waits for the restart
        {u"c.dll~norvane.new", "listed"},  // listed in this run: a file like any other
        {u"notes~norvane.txt", "a note"},  // not the tool's
        // A name cut to fit its side file's suffix: put back for the run that lists its owner.
        {Wide(longName.substr(0, 243)) + u"~norvane.old", "old long"},
    };
    for (const auto& [name, bytes] : before) temp.WriteFile(u"dst\\" + name, bytes);
    RunServices os;
    ScopedSystemOverride inPlace(os);
    os.heldUntil[temp / u"dst\\h.dll"] = UINT64_MAX;
    ASSERT_EQ(
        NativeSystem().SetAttributes(temp / u"dst\\a.dll~norvane2.new", kFileAttributeReadOnly),
        0u);
    RunDestinations destinations;
    destinations.Add(temp / u"dst\\c.dll~norvane.new");
    DestinationFolder folder;
    folder.Enter(temp / u"dst\\", destinations, {Wide(longName)});
    std::string after;
    for (const std::string& name :
         {std::string("a.dll"), std::string("a.dll~norvane.old"), std::string("a.dll~norvane2.new"),
          std::string("b.dll"), std::string("b.dll~norvane.old"), std::string("h.dll~norvane.new"),
          std::string("c.dll~norvane.new"), std::string("notes~norvane.txt"), longName}) {
        after += name.substr(0, 8) + "=" + temp.ReadFile(u"dst\\" + Wide(name)).value_or("-") + " ";
    }
    EXPECT_EQ(after,
              "a.dll=new a.dll~no=- a.dll~no=- b.dll=old b b.dll~no=- h.dll~no=waits "
              "c.dll~no=listed notes~no=a note LLLLLLLL=old long ");
    ASSERT_NE(folder.Find(u"B.DLL"), nullptr);  // the listing knows the file put back
    EXPECT_EQ(folder.Find(u"a.dll~norvane.old"), nullptr);
    EXPECT_EQ(folder.WaitingCopies(u"H.dll").size(), 1u);
}

TEST(SameBytes, ReadsToTheEndOfBothAndStopsAtTheFirstDifference) {
    constexpr size_t kChunk = 1 << 20;
    const struct {
        size_t first, second;
        size_t differAt;  // SIZE_MAX: nowhere
        bool same;
    } rows[] = {
        {0, 0, SIZE_MAX, true},
        {4096, 4096, SIZE_MAX, true},
        {4096, 4096, 4095, false},
        {4096, 4097, SIZE_MAX, false},
        {4097, 4096, SIZE_MAX, false},
        {kChunk, kChunk, SIZE_MAX, true},
        {kChunk + 1, kChunk + 1, kChunk, false},
        {kChunk + 1, kChunk, SIZE_MAX, false},
    };
    TempFolder temp;
    std::vector<uint8_t> buffer;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.first) + " " + std::to_string(row.second) + " " +
                     std::to_string(row.differAt));
        std::string first(row.first, 'x'), second(row.second, 'x');
        for (size_t i = 0; i < first.size(); ++i)
            first[i] = second[i % second.size()] = char(i * 7);
        if (row.differAt != SIZE_MAX) second[row.differAt] ^= 1;
        temp.WriteFile(u"a", first);
        temp.WriteFile(u"b", second);
        const OpenedFile a = NativeSystem().OpenFile(temp / u"a", FileAccess::Read);
        const OpenedFile b = NativeSystem().OpenFile(temp / u"b", FileAccess::Read);
        ASSERT_EQ(a.error + b.error, 0u);
        EXPECT_EQ(SameBytes(*a.value, *b.value, row.first, buffer), row.same);
    }
}
}  // namespace
