#include "norvane/BuildCopyList.h"

#include "app/CopyEntry.h"
#include "norvane/ListKeywords.h"
#include "norvane/ListMessages.h"
#include "norvane/ListSection.h"
#include "platform/SystemServices.h"
#include "text/CTextLine.h"

namespace {

// A file line of an applying section: listed, then opened once to prove it readable and to take
// its size for the progress display; it stays open for the copy.
bool AddFileLine(AppState& state, const SectionState& section, const WString& fileName) {
    if (!section.applies) return true;
    if (state.CopyList.size() >= kMaxCopyEntries) {
        ShowListMessage(state, kTooManyFilesText);
        return false;
    }
    state.CopyList.push_back(
        CopyEntry{fileName, section.sourceFolder, section.destFolder, 0, nullptr});

    const WString sourcePath = section.sourceFolder + fileName;
    const OpenForReadResult probe = System().ProbeOpenForRead(sourcePath);
    if (!probe.opened) {
        ReportUnreadableSource(state, probe.error, sourcePath, fileName);
        return false;
    }
    // The whole size counts: a file of 4 GB or more must not shrink to its low 32 bits, or the
    // progress display would pass 100 percent.
    state.totalBytes += probe.size;
    state.CopyList.back().size = probe.size;
    state.CopyList.back().source = probe.file;
    return true;
}

bool Finish(AppState& state) {
    if (state.CopyList.empty()) {
        // Nothing applies on this machine: what the installer service answers for a product
        // that is not installed.
        ShowListMessage(state, kNoFileToCopyText, nullptr, kExitNothingToCopy);
        return false;
    }
    state.entryCount = static_cast<int32_t>(state.CopyList.size());
    return true;
}
}  // namespace

bool BuildCopyList(AppState& state, CTextLine& text, WindowHandle mainDialog) {
    state.mainDialog = mainDialog;
    SectionState section;

    // Start-up has already used the launch line.
    if (!text.NextLine()) return Finish(state);
    do {
        text.NextItem();
        const WString item(text.ItemText());
        // A line that begins with a separator has no first item: the preparation cannot tell
        // what it is meant to be, so it ends here and says where.
        if (item.empty()) {
            ShowListMessage(state, LineBeginsWithSeparatorText(text.LineIndex() + 1));
            return false;
        }

        if (item == kSectionHeader) {
            switch (ReadSection(state, text, section)) {
                case SectionOutcome::Read: break;
                case SectionOutcome::EndOfList: return Finish(state);
                case SectionOutcome::Failed: return false;
            }
        } else if (!AddFileLine(state, section, item)) {
            return false;
        }
    } while (text.NextLine());
    return Finish(state);
}

bool IsFileMissing(const WString& folder, const WString& name) {
    const uint32_t attributes = System().GetAttributes(folder + name);
    return attributes == kInvalidFileAttributes || attributes == 0;
}
