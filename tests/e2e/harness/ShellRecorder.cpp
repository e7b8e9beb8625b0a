#include "ShellRecorder.h"

#include <windows.h>
#include <tlhelp32.h>

#include "Files.h"
#include "TextForm.h"
#include "UniqueHandle.h"

namespace {

constexpr DWORD kRecorderExitWaitMs = 10000;

void WaitForRunningRecorders() {
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, L"e2e_recorder.exe") != 0) continue;
        UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (process) WaitForSingleObject(process.get(), kRecorderExitWaitMs);
    }
}

}  // namespace

ShellRecorder::ShellRecorder(RegistryScope& registry, const std::wstring& recorderExe, std::wstring logPath,
                             const std::vector<std::wstring>& extensions)
    : logPath_(std::move(logPath)) {
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring command = L"\"" + recorderExe + L"\" \"" + logPath_ + L"\" \"%1\"";
    registry.SetStringInBothViews(HKEY_LOCAL_MACHINE, classes + kRecorderProgId + L"\\shell\\open\\command", L"",
                                  command);
    for (const std::wstring& extension : extensions) {
        registry.SetStringInBothViews(HKEY_LOCAL_MACHINE, classes + extension, L"", kRecorderProgId);
    }
}

std::vector<std::wstring> ShellRecorder::Opened() const {
    WaitForRunningRecorders();
    std::vector<std::wstring> lines;
    const auto bytes = ReadBytes(logPath_);
    if (!bytes) return lines;
    const std::wstring text = FromUtf8(*bytes);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
