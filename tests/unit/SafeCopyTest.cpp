// One file's copy onto its destination, through the system's services with the answers that
// the system may give put in place: whatever it answers, the destination ends holding its old
// file whole or the new file whole, with nothing of the tool's left beside it unless the
// outcome names it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "norvane/DestinationFolder.h"
#include "norvane/SafeCopy.h"
#include "norvane/SameBytes.h"
#include "support/RecordingServices.h"

namespace {
// This machine's files (natively or under Wine), a clock that only the copy's own pauses move,
// holders of files, and answers of the system put in place of its own.
class CopyServices : public RecordingServices {
public:
    uint64_t now = 0;
    std::map<WString, uint64_t> heldUntil;  // a program denies writing and deleting till then
    std::function<uint32_t(const WString&, const WString&, const WString&)> replace;
    std::function<uint32_t(const WString&, const WString&)> move;
    uint32_t sideCopyFails = 0;  // a copy beside the destination writes part, then fails so
    int copies = 0;

    bool Held(const WString& path) const {
        auto found = heldUntil.find(path);
        return found != heldUntil.end() && now < found->second;
    }
    uint64_t Milliseconds() override { return now; }
    void Pause(uint32_t milliseconds) override { now += milliseconds; }
    uint32_t OpenFile(const WString& path, FileAccess access,
                      std::unique_ptr<SystemFile>& file) override {
        if (access == FileAccess::Replace && Held(path)) return kErrorSharingViolation;
        return base_.OpenFile(path, access, file);
    }
    uint32_t CopyToNewFile(const WString& source, const WString& target,
                           CopyProgressFunction progress, void* data) override {
        ++copies;
        if (Held(source)) return kErrorSharingViolation;
        const uint32_t error = base_.CopyToNewFile(source, target, progress, data);
        return error == 0 && ParseSideName(target.substr(target.rfind(u'\\') + 1)) && sideCopyFails
                   ? sideCopyFails
                   : error;
    }
    uint32_t ReplaceKeepingBackup(const WString& replaced, const WString& replacement,
                                  const WString& backup) override {
        if (Held(replaced)) return kErrorSharingViolation;
        return replace ? replace(replaced, replacement, backup)
                       : base_.ReplaceKeepingBackup(replaced, replacement, backup);
    }
    uint32_t MoveToNewName(const WString& from, const WString& to) override {
        return move ? move(from, to) : base_.MoveToNewName(from, to);
    }
};

void NoProgress(uint64_t, void*) {}

// A package file and a destination folder with a file already there (or none), copied once.
struct CopyCase {
    TempFolder temp;
    CopyServices os;
    ScopedSystemOverride inPlace{os};
    WString destination = temp / u"dst\\f.dll", source = temp / u"pkg\\f.dll";

    CopyCase(const std::string& newBytes, const std::optional<std::string>& oldBytes) {
        temp.WriteFile(u"pkg\\f.dll", newBytes);
        temp.MakeFolder(u"dst");
        if (oldBytes) {
            temp.WriteFile(u"dst\\f.dll", *oldBytes);
            os.SetAttributes(destination, kFileAttributeReadOnly);
        }
    }
    CopyOutcome Run(const std::vector<WString>& listed = {}) {
        RunDestinations destinations;
        destinations.Add(destination);
        for (const WString& name : listed) destinations.Add(temp / (u"dst\\" + name));
        DestinationFolder folder;
        folder.Enter(temp / u"dst\\", destinations, true);
        SafeCopier copier(NoProgress, nullptr);
        const uint64_t size = temp.ReadFile(u"pkg\\f.dll")->size();
        return copier.Copy({source, size, kFileAttributeNormal}, folder, u"f.dll");
    }
    // The destination folder: each file's name and contents, in name order.
    std::string Folder() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(temp.Host(u"dst"))) {
            const std::string name = entry.path().filename().string();
            files[name] = *temp.ReadFile(u"dst\\" + Wide(name));
        }
        std::string listing;
        for (const auto& [name, bytes] : files) listing += name + "=" + bytes + " ";
        return listing;
    }
    bool ReadOnly() { return (os.GetAttributes(destination) & kFileAttributeReadOnly) != 0; }
};

std::string Result(const CopyOutcome& outcome) {
    static const char* const names[] = {"new", "replaced", "unchanged", "failed"};
    return names[static_cast<int>(outcome.result)] +
           (outcome.error ? " " + std::to_string(outcome.error) : "") +
           (outcome.keptAs.empty()
                ? ""
                : " kept as " + Narrow(outcome.keptAs.substr(outcome.keptAs.rfind(u'\\') + 1)));
}

// What ReplaceFileW is documented to leave with each answer, made so on the real files.
uint32_t LeaveAsIs(uint32_t code, const WString&, const WString&, const WString&) {
    return code;
}
uint32_t OldFileGone(CopyServices& os, const WString& replaced) {
    os.RemoveFile(replaced);
    return kErrorUnableToMoveReplacement;
}
uint32_t OldFileAside(CopyServices& os, const WString& replaced, const WString& backup) {
    NativeSystem().MoveToNewName(replaced, backup);
    (void)os;
    return kErrorUnableToMoveReplacement2;
}

TEST(SafeCopy, EveryAnswerOfTheSwapLeavesTheOldFileOrTheNewOneWhole) {
    using namespace std::placeholders;
    const struct {
        const char* name;
        std::function<void(CopyServices&)> answers;
        std::string result, folder;
        uint64_t waited;  // at least, in milliseconds
    } rows[] = {
        {"the swap succeeds", [](CopyServices&) {}, "replaced", "f.dll=new! ", 0},
        {"1175: both files keep their names",
         [](CopyServices& os) { os.replace = std::bind(LeaveAsIs, 1175, _1, _2, _3); },
         "failed 1175", "f.dll=old ", 2000},
        {"1176 with a backup name: both keep their names",
         [](CopyServices& os) { os.replace = std::bind(LeaveAsIs, 1176, _1, _2, _3); },
         "failed 1176", "f.dll=old ", 2000},
        {"1176 as without a backup name: the old file gone, the copy under its own name",
         [](CopyServices& os) {
             os.replace = [&os](const WString& r, const WString&, const WString&) {
                 return OldFileGone(os, r);
             };
         },
         "replaced", "f.dll=new! ", 0},
        {"1177: the old file under the backup name, put back each time",
         [](CopyServices& os) {
             os.replace = [&os](const WString& r, const WString&, const WString& b) {
                 return OldFileAside(os, r, b);
             };
         },
         "failed 1177", "f.dll=old ", 2000},
        {"1177, the old file refused its way back: the copy takes its place",
         [](CopyServices& os) {
             os.replace = [&os](const WString& r, const WString&, const WString& b) {
                 return OldFileAside(os, r, b);
             };
             os.move = [](const WString& from, const WString& to) {
                 return ParseSideName(from.substr(from.rfind(u'\\') + 1))->kind == SideKind::Old
                            ? kErrorAccessDenied
                            : NativeSystem().MoveToNewName(from, to);
             };
         },
         "replaced", "f.dll=new! ", 2000},
        {"1177, every way back refused: the old file stays aside and is named",
         [](CopyServices& os) {
             os.replace = [&os](const WString& r, const WString&, const WString& b) {
                 return OldFileAside(os, r, b);
             };
             os.move = [](const WString&, const WString&) { return kErrorAccessDenied; };
         },
         "failed 1177 kept as f.dll~norvane.old", "f.dll~norvane.old=old ", 4000},
        {"a sharing violation for ever",
         [](CopyServices& os) { os.replace = std::bind(LeaveAsIs, 32, _1, _2, _3); }, "failed 32",
         "f.dll=old ", 2000},
        {"access denied for 800 ms",
         [](CopyServices& os) {
             os.replace = [&os](const WString& r, const WString& c, const WString& b) {
                 return os.now < 800 ? kErrorAccessDenied
                                     : NativeSystem().ReplaceKeepingBackup(r, c, b);
             };
         },
         "replaced", "f.dll=new! ", 800},
        {"a full disk while the copy is made beside it",
         [](CopyServices& os) { os.sideCopyFails = kErrorDiskFull; }, "failed 112", "f.dll=old ",
         0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CopyCase copy("new!", "old");
        row.answers(copy.os);
        const CopyOutcome outcome = copy.Run();
        EXPECT_EQ(Result(outcome), row.result);
        EXPECT_EQ(copy.Folder(), row.folder);
        EXPECT_GE(copy.os.now, row.waited);
        EXPECT_LT(copy.os.now, row.waited + (row.waited ? 1000 : 1));  // about two seconds a wait
        // A failed replacement leaves the old file's attributes as they were.
        if (row.folder == "f.dll=old ") {
            EXPECT_TRUE(copy.ReadOnly());
        }
    }
}

TEST(SafeCopy, TheBytesDecideWhetherADestinationIsWrittenAndHoldsAreWaitedOut) {
    const struct {
        const char* name;
        std::optional<std::string> old;
        uint64_t heldUntil;  // the destination (or, with none, the source) held by a program
        std::string result, folder;
        uint64_t waited;
    } rows[] = {
        {"same bytes: left in place", "new!", 0, "unchanged", "f.dll=new! ", 0},
        {"same size, one byte other", "new?", 0, "replaced", "f.dll=new! ", 0},
        {"same bytes, held by a program that reads it", "new!", UINT64_MAX, "unchanged",
         "f.dll=new! ", 0},
        {"other bytes, held for ever", "old!", UINT64_MAX, "failed 32", "f.dll=old! ", 2000},
        {"other bytes, held for 800 ms", "old!", 800, "replaced", "f.dll=new! ", 800},
        {"no destination", std::nullopt, 0, "new", "f.dll=new! ", 0},
        {"no destination, the source held for 800 ms", std::nullopt, 800, "new", "f.dll=new! ",
         800},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CopyCase copy("new!", row.old);
        if (row.heldUntil)
            copy.os.heldUntil[row.old ? copy.destination : copy.source] = row.heldUntil;
        const CopyOutcome outcome = copy.Run();
        EXPECT_EQ(Result(outcome), row.result);
        EXPECT_EQ(copy.Folder(), row.folder);
        EXPECT_GE(copy.os.now, row.waited);
        EXPECT_LT(copy.os.now, row.waited + (row.waited ? 1000 : 1));
        if (outcome.result == CopyResult::Unchanged) {
            // Nothing written, and the file as a copy leaves it: normal, with the source's time.
            EXPECT_EQ(copy.os.copies, 0);
            EXPECT_FALSE(copy.ReadOnly());
            FileFacts source, destination;
            copy.os.QueryFile(copy.source, source);
            copy.os.QueryFile(copy.destination, destination);
            EXPECT_EQ(destination.lastWriteTime, source.lastWriteTime);
        }
    }
}

TEST(SafeCopy, ANameOfAnyFormCopiesAndNeverLosesAnotherFile) {
    // A file line named as the destination's side file is a file like any other: its bytes stay,
    // and the copy beside the destination takes the next free name.
    CopyCase copy("new!", "old");
    copy.temp.WriteFile(u"dst\\f.dll~norvane.new", "listed");
    copy.temp.WriteFile(u"dst\\f.dll~norvane.old", "listed too");
    EXPECT_EQ(Result(copy.Run({u"f.dll~norvane.new", u"f.dll~norvane.old"})), "replaced");
    EXPECT_EQ(copy.Folder(), "f.dll=new! f.dll~norvane.new=listed f.dll~norvane.old=listed too ");
}

TEST(DestinationFolder, ClearsOnlyTheLeftoversOfAnInterruptedRun) {
    TempFolder temp;
    const std::map<WString, std::string> before = {
        {u"a.dll", "new"},                 // replaced, and the old file left aside
        {u"a.dll~norvane.old", "old a"},   //   so it goes
        {u"a.dll~norvane2.new", "copy"},   // a copy that never took its place goes
        {u"b.dll~norvane.old", "old b"},   // stopped between the renames: put back
        {u"~norvane.old", "whose?"},       // stays: whose it is cannot be told
        {u"c.dll~norvane.new", "listed"},  // listed in this run: a file like any other
        {u"notes~norvane.txt", "a note"},  // not the tool's
    };
    for (const auto& [name, bytes] : before) temp.WriteFile(u"dst\\" + name, bytes);
    RecordingServices os;
    ScopedSystemOverride inPlace(os);
    os.SetAttributes(temp / u"dst\\a.dll~norvane2.new", kFileAttributeReadOnly);
    RunDestinations destinations;
    destinations.Add(temp / u"dst\\c.dll~norvane.new");
    DestinationFolder folder;
    folder.Enter(temp / u"dst\\", destinations, true);
    std::string after;
    for (const char* name :
         {"a.dll", "a.dll~norvane.old", "a.dll~norvane2.new", "b.dll", "b.dll~norvane.old",
          "~norvane.old", "c.dll~norvane.new", "notes~norvane.txt"}) {
        after += std::string(name) + "=" + temp.ReadFile(u"dst\\" + Wide(name)).value_or("-") + " ";
    }
    EXPECT_EQ(after,
              "a.dll=new a.dll~norvane.old=- a.dll~norvane2.new=- b.dll=old b b.dll~norvane.old=- "
              "~norvane.old=whose? c.dll~norvane.new=listed notes~norvane.txt=a note ");
    ASSERT_NE(folder.Find(u"B.DLL"), nullptr);  // the listing knows the file put back
    EXPECT_EQ(folder.Find(u"a.dll~norvane.old"), nullptr);
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
        std::unique_ptr<SystemFile> a, b;
        ASSERT_EQ(NativeSystem().OpenFile(temp / u"a", FileAccess::Read, a), 0u);
        ASSERT_EQ(NativeSystem().OpenFile(temp / u"b", FileAccess::Read, b), 0u);
        EXPECT_EQ(SameBytes(*a, *b, row.first, buffer), row.same);
    }
}
}  // namespace
