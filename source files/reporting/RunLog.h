#pragma once
// The log a run writes when asked to (/log): a plain sink, opened once, one line an event, each
// line written as it happens so that a run that is killed keeps what it did. Other programs may
// read it meanwhile; a second run appends. Both of the tool's threads write to it.
#include <memory>
#include <mutex>

#include "platform/SystemServices.h"

// "error 5: Access denied.": a system's code as the log names it.
WString SystemCodeText(uint32_t code);
// Why a log file cannot be opened (OpenForAppend's code), in words for the refusal.
WString LogOpenFailureText(uint32_t code);

class RunLog {
public:
    // Opens, or creates, the file to append to: 0, or the system's code. Only a file of its
    // own: a link or a file with other names is refused (SystemServices::OpenForAppend).
    uint32_t Open(const WString& path);
    bool IsOpen() const { return file_ != nullptr; }
    void Close() { file_.reset(); }

    // One line in UTF-8: the local time, the process id in brackets (so that runs appending to
    // one log can be told apart), then the text; line breaks within it read " | ".
    void Write(const WString& text);
    void SetProcessId(uint32_t processId) { processId_ = processId; }

private:
    uint32_t processId_ = 0;
    std::mutex mutex_;
    std::unique_ptr<SystemFile> file_;
};
