#pragma once
// What every scenario uses: its registration, its cases and checks, text and files.
// A scenario is a function registered with E2E_SCENARIO(name); the build reads those lines to
// make one test per scenario. Every check runs inside a Case, which gets a fresh work folder,
// kept for inspection when the case fails. A failure is printed at once with the case, what was
// compared, the expected and the actual value; the case goes on unless it is aborted.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/UniqueResource.h"

using UniqueHandle = UniqueResource<NullHandleTraits>;

// Text is UTF-16 in the tool, ANSI in "Update.up" and on the debugger output, UTF-8 in reports.
inline std::string Narrow(const std::wstring& text, UINT codePage = CP_UTF8) {
    std::string bytes(text.size() * 3, '\0');  // UTF-8 takes at most 3 bytes a unit
    bytes.resize(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr));
    return bytes;
}

inline std::wstring Widen(const std::string& bytes, UINT codePage = CP_UTF8) {
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    text.data(), static_cast<int>(text.size())));
    return text;
}

// Quoted, on one line, with \r \n \t \" \\ escaped.
inline std::string Visible(const std::wstring& text) {
    std::wstring escaped = L"\"";
    for (wchar_t unit : text) {
        switch (unit) {
            case L'\r': escaped += L"\\r"; break;
            case L'\n': escaped += L"\\n"; break;
            case L'\t': escaped += L"\\t"; break;
            case L'"':
            case L'\\': escaped += {L'\\', unit}; break;
            default: escaped += unit;
        }
    }
    return Narrow(escaped + L"\"");
}

// Folders passed to and returned by these end in a backslash. Failures throw.
inline void MakeFolders(const std::wstring& folder) {
    std::filesystem::create_directories(folder);
}

inline void RemoveTree(const std::wstring& folder) {  // read-only files included
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(folder, error);
}

inline std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    MakeFolders(FolderOf(path));
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    if (!file.write(bytes.data(), bytes.size()).flush())
        throw std::runtime_error("writing " + Narrow(path) + " failed");
}

inline std::optional<std::string> ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

inline bool Exists(const std::wstring& path) {  // a file or a folder, whatever the path's length
    return GetFileAttributesW((L"\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::wstring WorkFolder(const std::wstring& relative) {  // <temp>\norvane-e2e\<relative>\ .
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = temp + (L"norvane-e2e\\" + relative);
    return folder.back() == L'\\' ? folder : folder + L"\\";
}

struct CaseAborted {};    // ends the case after a failure that leaves nothing more to check
struct ScenarioSkipped {  // the scenario does not apply to this build
    std::string reason;
};

struct ScenarioRun {
    std::wstring productExe, driverFolder, name;  // the driver's folder holds e2e_recorder.exe
    int cases = 0, failures = 0;
    std::wstring currentCase = {};

    void Case(const std::wstring& caseName, const std::function<void(const std::wstring&)>& body) {
        currentCase = caseName;
        ++cases;
        const int failuresBefore = failures;
        std::printf("--- case %s\n", Narrow(caseName).c_str());
        const std::wstring folder = WorkFolder(name + L"\\" + caseName);
        RemoveTree(folder);
        try {
            MakeFolders(folder);
            body(folder);
        } catch (const CaseAborted&) {
            // Already reported.
        } catch (const std::exception& error) {
            True("the driver", false, error.what());
        }
        if (failures == failuresBefore) {
            RemoveTree(folder);
        } else {
            std::printf("    (work folder kept: %s)\n", Narrow(folder).c_str());
        }
        std::fflush(stdout);
    }

    bool True(const std::string& what, bool condition, const std::string& detail) {
        if (condition) return true;
        ++failures;
        std::printf("FAIL [%s] %s: %s\n", Narrow(currentCase).c_str(), what.c_str(),
                    detail.c_str());
        std::fflush(stdout);
        return false;
    }
    bool Equal(const std::string& what, const std::wstring& expected, const std::wstring& actual) {
        return True(
            what, expected == actual,
            "\n      expected: " + Visible(expected) + "\n      actual:   " + Visible(actual));
    }
    [[noreturn]] void Abort(const std::string& what, const std::string& detail) {
        True(what, false, detail);
        throw CaseAborted{};
    }
};

using ScenarioFunction = void (*)(ScenarioRun&);
inline std::vector<std::pair<std::string, ScenarioFunction>>& Scenarios() {
    static std::vector<std::pair<std::string, ScenarioFunction>> scenarios;
    return scenarios;
}
#define E2E_SCENARIO(name)                                         \
    static void Scenario_##name(ScenarioRun& run);                 \
    [[maybe_unused]] static const bool registered_##name =         \
        (Scenarios().emplace_back(#name, &Scenario_##name), true); \
    static void Scenario_##name(ScenarioRun& run)
