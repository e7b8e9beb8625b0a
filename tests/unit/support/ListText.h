#pragma once
// A list file as the tables write it: parts of lines, so that a section reads as one piece.
#include <initializer_list>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

struct ListText {
    ListText(std::initializer_list<Lines> parts = {}) {
        for (const Lines& part : parts) lines.insert(lines.end(), part.begin(), part.end());
    }
    std::string Bytes() const {  // each line ended by CR LF
        std::string bytes;
        for (const std::string& line : lines) bytes += line + "\r\n";
        return bytes;
    }
    Lines lines;
};

// A section header and its five parameter lines: registry key, condition, action, message, source.
inline Lines Section(const std::string& key = "A", const std::string& condition = "None",
                     const std::string& action = "0", const std::string& message = "m",
                     const std::string& source = "%Root%\\A\\") {
    return {"[SetParamter]", key, condition, action, message, source};
}
