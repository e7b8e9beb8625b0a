#pragma once
// Reading and driving the windows of another process: its dialogs (class "#32770"), message
// boxes among them, their controls. Reads go through SendMessageTimeoutW so that a hung tool
// cannot hang the driver; presses and answers are posted, because the handler of a press may
// itself sit in a message box's loop.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The process's top-level windows of class "#32770", visible or not, in z-order.
std::vector<HWND> DialogsOf(DWORD processId);

std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int controlId);
bool IsControlEnabled(HWND dialog, int controlId);
// The texts of the dialog's child windows of one class ("Static"...), in child order, each
// followed by a line feed.
std::wstring ChildTexts(HWND dialog, const wchar_t* className);

// A message box has the icon control 1088 (Wine creates it even for a box without icon) and
// the text control 0xFFFF.
bool IsMessageBox(HWND window);

struct MessageBoxView {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    bool hasIcon = false;
    HWND owner = nullptr;
    std::vector<int> visibleButtons;  // control ids of the buttons shown, in child order
};
MessageBoxView ReadMessageBox(HWND box);

// The caption the system gives a box shown without one ("Error" in English; it follows the
// user interface language). Found once by showing such a box in the driver itself.
const std::wstring& SystemDefaultBoxCaption();

// Waits until the predicate holds for one of the process's dialogs, returns it; null when the
// time is up or the process's dialogs are gone with the process.
HWND WaitForDialog(DWORD processId, const std::function<bool()>& processEnded,
                   const std::function<bool(HWND)>& predicate, DWORD timeoutMs);

// One line per dialog of the process: caption, visibility, and for a box its text.
std::string DescribeDialogs(DWORD processId);

void AnswerOk(HWND box);
void Click(HWND dialog, int controlId);
