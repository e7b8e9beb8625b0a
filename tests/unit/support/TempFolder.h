#pragma once
// A fresh folder for one test, named in Windows form (drive letter, backslashes) on every
// platform, so the same test reads the same on Linux and under Wine. Removed with its contents.
#include <filesystem>
#include <optional>
#include <string>

#include "base/WString.h"

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending in a backslash; a path below it, and where that lies on this machine.
    const WString& Path() const { return path_; }
    WString operator/(const WString& relative) const { return path_ + relative; }
    std::filesystem::path Host(const WString& relative) const;
    // Relative names may hold backslashes; missing folders on the way are made.
    void WriteFile(const WString& relative, const std::string& bytes) const;
    std::optional<std::string> ReadFile(const WString& relative) const;
    void MakeFolder(const WString& relative) const;

private:
    WString path_;
};

// ASCII text as UTF-16, and readable UTF-8 of UTF-16 for failure messages ("?" beyond ASCII).
WString Wide(const std::string& text);
std::string Narrow(const WString& text);
