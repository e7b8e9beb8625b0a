#include "reporting/RunLog.h"

#include "base/Utf8.h"

WString SystemCodeText(uint32_t code) {
    const std::optional<WString> text = System().SystemErrorText(code);
    return u"error " + DecimalText(code) + (text ? u": " + *text : WString());
}

WString LogOpenFailureText(uint32_t code) {
    switch (code) {
        case kErrorStoppedOnSymlink:
            return u"the name is a link, and a log is written only into a file of its own.";
        case kErrorTooManyLinks:
            return u"the file has other names too (hard links), and a log is written only into a "
                   u"file of its own.";
        default: return System().SystemErrorText(code).value_or(u"error " + DecimalText(code));
    }
}

uint32_t RunLog::Open(const WString& path) {
    OpenedFile opened = System().OpenForAppend(path);
    if (opened.error == 0) file_ = std::move(opened.value);
    return opened.error;
}

void RunLog::Write(const WString& text) {
    if (!file_) return;
    WString line = System().LocalTimeText() + u"  ";
    if (processId_ != 0) line += u"[" + DecimalText(processId_) + u"]  ";
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            while (i + 1 < text.size() && (text[i + 1] == u'\r' || text[i + 1] == u'\n')) ++i;
            if (i + 1 < text.size()) line += u" | ";
        } else {
            line += text[i];
        }
    }
    const std::string bytes = Utf8FromWide(line) + "\r\n";
    std::lock_guard<std::mutex> lock(mutex_);
    file_->Write(reinterpret_cast<const uint8_t*>(bytes.data()),
                 static_cast<uint32_t>(bytes.size()));
}
