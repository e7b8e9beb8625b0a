#pragma once
// What the tool asks the shell to open. The recorder program is made the "open" handler of a few
// document types in HKLM\Software\Classes (Wine does not merge HKCU\Software\Classes into the
// classes root); each time the shell starts it, it appends the document's path to a log file.
#include <string>
#include <vector>

#include "RegistryScope.h"

class ShellRecorder {
public:
    // Registers the recorder (beside the driver) for the given extensions (".txt", ".pdf"...) in
    // both registry views, with the log at logPath; the registration ends with the scope.
    ShellRecorder(RegistryScope& registry, const std::wstring& recorderExe, std::wstring logPath,
                  const std::vector<std::wstring>& extensions);

    // The documents opened so far, one path per shell request, in order. The shell has started
    // the handler process by the time its call in the tool returned, but the handler writes the
    // log a little later: every running recorder is waited for (bounded) before reading.
    std::vector<std::wstring> Opened() const;

private:
    std::wstring logPath_;
};

// The ProgId under which the recorder is registered, shared by every registered extension.
inline constexpr const wchar_t* kRecorderProgId = L"NorvaneE2E.RecordedDocument";
