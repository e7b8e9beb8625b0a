#include "norvane/SectionReader.h"

#include "norvane/DecimalReading.h"
#include "norvane/ListKeywords.h"
#include "text/CTextLine.h"

SectionReader::SectionReader(CTextLine& text) : text_(text), headerLine_(text.LineIndex() + 1) {}

ParameterLine SectionReader::Next() {
    ParameterLine read;
    read.role = static_cast<ParameterRole>(read_++);
    // The end of the file is not noticed by the tool: the cursor stays on the last line and its
    // remaining items are read instead.
    read.inFile = text_.NextLine();
    text_.NextItem();
    read.value = WString(text_.ItemText());
    read.line = text_.LineIndex() + 1;
    return read;
}

uint8_t SectionAction(const WString& actionLine) {
    return static_cast<uint8_t>(ReadDecimal(actionLine).value);
}

std::optional<WString> SectionSourceFolder(const WString& rootFolder, const WString& sourceLine) {
    if (sourceLine.find(kRootMarker) == WString::npos) return std::nullopt;
    return rootFolder + sourceLine.substr(kRootMarkerLength);
}
