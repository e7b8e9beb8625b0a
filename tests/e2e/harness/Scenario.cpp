#include "Scenario.h"

#include <shlobj.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

std::vector<std::pair<std::string, ScenarioFunction>>& Scenarios() {
    static std::vector<std::pair<std::string, ScenarioFunction>> scenarios;
    return scenarios;
}

void ScenarioRun::Case(const std::wstring& caseName,
                       const std::function<void(const std::wstring&)>& body) {
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

bool ScenarioRun::Equal(const std::string& what, const std::wstring& expected,
                        const std::wstring& actual) {
    return True(what, expected == actual,
                "\n      expected: " + Visible(expected) + "\n      actual:   " + Visible(actual));
}

bool ScenarioRun::True(const std::string& what, bool condition, const std::string& detail) {
    if (condition) return true;
    ++failures;
    std::printf("FAIL [%s] %s: %s\n", Narrow(currentCase).c_str(), what.c_str(), detail.c_str());
    std::fflush(stdout);
    return false;
}

void ScenarioRun::Abort(const std::string& what, const std::string& detail) {
    True(what, false, detail);
    throw CaseAborted{};
}

std::string Narrow(const std::wstring& text, UINT codePage) {
    std::string bytes(text.size() * 3, '\0');  // UTF-8 takes at most 3 bytes a unit
    bytes.resize(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr));
    return bytes;
}

std::wstring Widen(const std::string& bytes, UINT codePage) {
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    text.data(), static_cast<int>(text.size())));
    return text;
}

std::string Visible(const std::wstring& text) {
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

std::wstring WorkFolder(const std::wstring& relative) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = temp + (L"norvane-e2e\\" + relative);
    return folder.back() == L'\\' ? folder : folder + L"\\";
}

void MakeFolders(const std::wstring& folder) {
    const int error = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (error != ERROR_SUCCESS && error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
        throw std::runtime_error("making the folder " + Narrow(folder) + " failed, error " +
                                 std::to_string(error));
    }
}

void RemoveTree(const std::wstring& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(folder, error);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    MakeFolders(FolderOf(path));
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    if (!file.write(bytes.data(), bytes.size()).flush())
        throw std::runtime_error("writing " + Narrow(path) + " failed");
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW((L"\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}
