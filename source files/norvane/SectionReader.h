#pragma once
// The five parameter lines after a "[SetParamter]" header, read as the tool reads them: by
// position, each the first item of the next content line, whatever it holds. The tool and
// norvane-check read every section through this one reader; the tool acts on each line as it
// comes, so what it shows and looks up belongs to the line being read.
#include <cstdint>
#include <optional>

#include "base/WString.h"

class CTextLine;

enum class ParameterRole { Key, Condition, Action, Message, Source };
inline constexpr int kParameterLineCount = 5;

struct ParameterLine {
    ParameterRole role = ParameterRole::Key;
    WString value;
    uint32_t line = 0;  // 1-based, in the file
    // False when the file ended before this line: the tool then reads what remains of the last
    // line instead (normally nothing), and the section fails at its source line.
    bool inFile = false;
};

class SectionReader {
public:
    // `text` stands on the header line.
    explicit SectionReader(CTextLine& text);

    uint32_t HeaderLine() const { return headerLine_; }
    // The next parameter line, in the order of ParameterRole; the cursor stays on it until the
    // next call. At most kParameterLineCount calls.
    ParameterLine Next();

private:
    CTextLine& text_;
    uint32_t headerLine_;
    int read_ = 0;
};

// The section's action, kept in the 8 bits it has always been kept in: 257 acts as 1.
uint8_t SectionAction(const WString& actionLine);

// The source folder a source line names: the root folder, then the line without its first
// seven characters, whatever they are (meant to be "%Root%\"). nullopt when the line holds no
// "%Root%\" anywhere: the tool stops with "Directory setting is not valid.".
std::optional<WString> SectionSourceFolder(const WString& rootFolder, const WString& sourceLine);
