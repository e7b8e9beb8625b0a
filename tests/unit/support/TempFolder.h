#pragma once
// A fresh folder for one test, named in Windows form (drive letter, backslashes) on every
// platform, so the same test reads the same on Linux and under Wine. Removed with its contents.
#include <optional>
#include <string>

#include "app/WString.h"

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending in a backslash.
    const WString& Path() const { return path_; }
    WString operator/(const WString& relative) const { return path_ + relative; }

    // Relative names may hold backslashes; missing folders on the way are made.
    void WriteFile(const WString& relative, const std::string& bytes) const;
    std::optional<std::string> ReadFile(const WString& relative) const;
    void MakeFolder(const WString& relative) const;
    bool Exists(const WString& relative) const;
    bool IsFolder(const WString& relative) const;

private:
    WString path_;
};

// Readable UTF-8 for test failure messages.
std::string Narrow(const WString& text);
