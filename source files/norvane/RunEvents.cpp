#include "norvane/RunEvents.h"

#include "platform/SystemServices.h"

void DeliverRunMessage(const RunMessage& message, WindowHandle dialog) {
    if (!message.debugReport.empty()) System().DebugOutput(message.debugReport);
    Notice(message.ownedByDialog ? dialog : nullptr, message.text, message.caption, message.flags,
           message.exitCode);
}
