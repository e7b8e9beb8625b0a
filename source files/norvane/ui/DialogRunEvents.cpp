#include "norvane/ui/DialogRunEvents.h"

#include "norvane/ui/CNorvaneDlg.h"
#include "platform/win32/WideEdge.h"

void DialogRunEvents::ShowNow() {
    ::SendMessageW(dialog_, kShowCopyDisplayMessage, 0, 0);
}

void DialogRunEvents::Tell(const RunMessage& message) {
    ShowNow();
    DeliverRunMessage(message, dialog_);
}

InUseAnswer DialogRunEvents::AskFilesInUse(const WString& text) {
    if (CurrentRun().options.Unattended()) return InUseAnswer::Continue;
    switch (::MessageBoxW(dialog_, AsWide(text), L"Files in use",
                          MB_CANCELTRYCONTINUE | MB_ICONWARNING)) {
        case IDTRYAGAIN: return InUseAnswer::TryAgain;
        case IDCONTINUE: return InUseAnswer::Continue;
        default: return InUseAnswer::Cancel;
    }
}

void DialogRunEvents::Ended(bool complete) {
    ::SendMessageW(dialog_, kRunEndedMessage, complete ? 1 : 0, 0);
}
