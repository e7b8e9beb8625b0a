#include "norvane/ListMessages.h"

#include "reporting/Diagnostics.h"
#include "platform/SystemServices.h"

const WChar kListNotFoundText[] = u"Cannot find 'Update.up'.";
const WChar kListReadErrorCaption[] = u"Text data read error.";
const WChar kNoFileToCopyText[] = u"There is no file to copy.";
const WChar kDirectoryNotValidText[] = u"Directory setting is not valid.";
const WChar kTooManyFilesText[] = u"Exceeded the maximum number of files for copy.";
const WChar kPathErrorCaption[] = u"Path error";
const WChar kFileReadErrorCaption[] = u"File read error";

namespace {
WString PathLengthText(const WString& sourcePath) {
    return u"Exceeded the path length limit of 260 characters. \n\n"
           u"[character count] " +
           DecimalText(static_cast<int64_t>(sourcePath.size())) + u"\n [path]  " + sourcePath;
}

WString FileReadText(const WString& fileName) {
    return u"Failed to load a file to copy. \n"
           u"Compare the file name written on the text and the actual file name.\n\n"
           u"[File name to copy written on the text]  " +
           fileName;
}
}  // namespace

WString LineBeginsWithSeparatorText(uint32_t lineNumber) {
    return u"Line " + DecimalText(lineNumber) + u" of 'Update.up' begins with a separator.";
}

void ShowListMessage(const AppState& state, const WString& text, const WChar* caption,
                     uint32_t exitCode) {
    Notice(state.mainDialog, text, caption, kMbTopmost, exitCode);
}

void ReportUnreadableSource(const AppState& state, uint32_t errorCode, const WString& sourcePath,
                            const WString& fileName) {
    ShowLastErrorText(errorCode);
    if (sourcePath.size() >= static_cast<size_t>(kPathUnits)) {
        ShowListMessage(state, PathLengthText(sourcePath), kPathErrorCaption);
    } else {
        ShowListMessage(state, FileReadText(fileName), kFileReadErrorCaption);
    }
}
