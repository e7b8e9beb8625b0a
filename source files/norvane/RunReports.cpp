#include "norvane/RunReports.h"

#include "reporting/Diagnostics.h"
#include "norvane/FormatByteCount.h"
#include "norvane/LinkOnTheWay.h"
#include "platform/SystemServices.h"

const WChar kLeftAsItWasText[] = u"The installation was left as it was.";
const WChar kToolCaption[] = u"Norvane";

namespace {
const WString kSource = kCopySource;

WString Bytes(uint64_t count) {
    return FormatByteCount(count) + u" bytes";
}
}  // namespace

WString UndoText(const std::vector<NotPutBack>& notPutBack) {
    if (notPutBack.empty()) return kLeftAsItWasText;
    WString text = u"These files could not be put back:";
    for (const NotPutBack& file : notPutBack) {
        text += u"\r\n" + file.destination +
                (file.oldCopy.empty() ? WString(u": the new file stays")
                                      : u": its old copy is " + file.oldCopy);
    }
    return text;
}

RunMessage CopyFailedMessage(uint32_t code, const WString& undo) {
    const std::optional<WString> systemText = System().SystemErrorText(code);
    const WString* text = systemText ? &*systemText : nullptr;
    const WString message = u"Copy failed.\r\n" + undo;
    RunMessage box;
    box.text = FormatBoxReportWithSystemText(message, text);
    box.caption = kErrorCaption;
    box.flags = kMbIconWarning | kMbSetForeground | kMbTopmost;
    box.debugReport = FormatDebugReportWithSystemText(kCopyFailedLine, kSource, message, text);
    return box;
}

RunMessage FolderFailedMessage(const WString& folder, uint32_t code) {
    const std::optional<WString> systemText = System().SystemErrorText(code);
    RunMessage box;
    box.text = u"Failed to make directory.";
    box.caption = u"File transfer error";
    box.flags = kMbOk;
    box.ownedByDialog = true;
    box.debugReport = FormatDebugReportWithSystemText(
        kFolderFailedLine, kSource,
        u"Failed to make directory. " + folder + u" (error " + DecimalText(code) + u")",
        systemText ? &*systemText : nullptr);
    return box;
}

RunMessage LinkMessage(const WString& link, const WString& undo) {
    RunMessage box;
    box.text = LinkRefusalText(link) + u"\r\n\r\n" + undo;
    box.caption = u"File transfer error";
    box.flags = kMbOk;
    box.ownedByDialog = true;
    return box;
}

WString RefusedNameText(const WString& fileName, const NameFault& fault) {
    return u"The name " + Quoted(fileName) + u" of the list cannot be written on Windows: " +
           WindowsNameFaultText(fault) + u".";
}

RunMessage NameRefusedMessage(const WString& why, const WString& undo) {
    RunMessage box;
    box.text = why + u"\r\n\r\n" + undo;
    box.caption = u"File transfer error";
    box.flags = kMbOk;
    box.ownedByDialog = true;
    return box;
}

RunMessage NoSpaceMessage(const WString& volume, uint64_t needed, uint64_t free) {
    RunMessage box;
    box.text = u"There is not enough free space on " + volume + u" for the update.\r\n" +
               u"It needs " + Bytes(needed) + u"; " + Bytes(free) + u" are free.\r\n\r\n" +
               kLeftAsItWasText;
    box.caption = u"File transfer error";
    box.flags = kMbOk;
    box.ownedByDialog = true;
    return box;
}

WString HoldersText(const RunFile& file) {
    if (file.holders.empty()) return u"another program";
    WString text;
    for (const FileHolder& holder : file.holders) {
        if (!text.empty()) text += u", ";
        text += (holder.name.empty() ? WString(u"a program") : holder.name) + u" (process " +
                DecimalText(holder.processId) + u")";
    }
    return text;
}

WString FilesInUseText(const std::vector<const RunFile*>& files) {
    WString text = u"Programs are using files that the update replaces:\r\n";
    for (const RunFile* file : files) {
        text += u"\r\n" + file->destination + u"\r\n    in use by " + HoldersText(*file);
    }
    return text +
           u"\r\n\r\nClose these programs, then choose Try Again. Continue replaces these files "
           u"when Windows restarts. Cancel stops the update and changes nothing.";
}

RunMessage AtRestartMessage(const std::vector<const RunFile*>& files) {
    RunMessage box;
    box.text =
        u"The update is in place, but these files are in use; they are replaced when "
        u"Windows restarts:\r\n";
    for (const RunFile* file : files) box.text += u"\r\n" + file->destination;
    box.text += u"\r\n\r\nRestart Windows to finish the update.";
    box.caption = kToolCaption;
    box.flags = kMbIconInformation;
    box.ownedByDialog = true;
    box.exitCode = kExitRestartNeeded;
    return box;
}
