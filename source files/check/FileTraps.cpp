#include "check/FileTraps.h"

#include <algorithm>
#include <optional>

#include "base/Utf8.h"
#include "check/ValueText.h"
#include "platform/SystemServices.h"
#include "text/CTextLine.h"

namespace {
constexpr int kUtf8CodePage = 65001;
constexpr size_t kShownUnits = 60;
constexpr size_t kLostLinesShown = 3;

class FileReader {
public:
    explicit FileReader(const std::string& bytes) : bytes_(bytes) {
        loaded_ = text_.SetText(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }

    Findings Run() {
        Signature();
        Utf8WithoutSignature();
        if (!loaded_) return std::move(findings_);
        for (uint32_t index = 0; index < static_cast<uint32_t>(text_.LineCount()); ++index) {
            const WString raw = text_.RawLine(index);
            LoneCarriageReturns(index, raw);
            Length(index, raw);
        }
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        return std::move(findings_);
    }

private:
    void Add(uint32_t line, WString text) {
        findings_.push_back({line, Severity::Warning, std::move(text)});
    }

    uint32_t LineOfByte(size_t at) const {
        const auto end = bytes_.begin() + static_cast<std::string::difference_type>(at);
        return static_cast<uint32_t>(1 + std::count(bytes_.begin(), end, '\n'));
    }

    // A UTF-8 signature: three characters of the first line, to the tool.
    void Signature() {
        if (bytes_.compare(0, 3, "\xEF\xBB\xBF") != 0) return;
        Add(1,
            u"the file begins with a UTF-8 signature: the tool reads ANSI text in the machine's "
            u"code page and takes the signature's bytes as characters of line 1");
    }

    // Bytes beyond ASCII that all form UTF-8 sequences: an editor saved UTF-8 without saying so.
    void Utf8WithoutSignature() {
        const int codePage = System().AnsiCodePage();
        const std::string& bytes = bytes_;
        const auto beyondAscii =
            std::find_if(bytes.begin(), bytes.end(), [](char byte) { return (byte & 0x80) != 0; });
        if (codePage == kUtf8CodePage || bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ||
            beyondAscii == bytes.end() || !WideFromWellFormedUtf8(bytes)) {
            return;
        }
        const size_t at = static_cast<size_t>(beyondAscii - bytes.begin());
        const size_t start =
            bytes.rfind('\n', at) == std::string::npos ? 0 : bytes.rfind('\n', at) + 1;
        const uint32_t line = LineOfByte(at);
        const WString meant = WithoutLineEnd(
            *WideFromWellFormedUtf8(bytes.substr(start, bytes.find('\n', at) - start)));
        const WString read = loaded_ ? WithoutLineEnd(text_.RawLine(line - 1)) : WString();
        Add(line, u"the file is UTF-8 without a signature: the tool reads ANSI text in code page " +
                      DecimalText(codePage) + u", so " + Quoted(Abbreviated(meant, kShownUnits)) +
                      u" reads as " + Quoted(Abbreviated(read, kShownUnits)) +
                      u"; save the file in code page " + DecimalText(codePage));
    }

    void LoneCarriageReturns(uint32_t index, const WString& raw) {
        const std::vector<WString> lost = PiecesAfterLoneCr(raw);
        if (lost.empty()) return;
        WString text =
            u"lone carriage return (a CR without LF, as old Mac editors end lines): the tool ends "
            u"lines only at LF and reads only this line's first item, so it ignores ";
        for (size_t i = 0; i < lost.size() && i < kLostLinesShown; ++i) {
            text += (i == 0 ? u"" : u", ") + Quoted(Abbreviated(lost[i], kShownUnits));
        }
        if (lost.size() > kLostLinesShown) {
            text += u" and " + DecimalText(lost.size() - kLostLinesShown) + u" more lines";
        }
        Add(index + 1, text);
    }

    // The tool keeps a line's first 1023 units: only a cut that changes the first item matters.
    void Length(uint32_t index, const WString& raw) {
        if (raw.size() < static_cast<size_t>(kLineUnits)) return;
        const WString uncut = UncutFirstItem(raw);
        WString kept;
        if (text_.SetLine(index) && text_.NextItem() != nullptr) kept = text_.ItemText();
        if (kept == uncut) return;
        WString text = u"line is " + DecimalText(WithoutLineEnd(raw).size()) +
                       u" characters long and the tool reads only its first " +
                       DecimalText(kLineUnits - 1) + u": ";
        if (uncut.compare(0, kept.size(), kept) == 0) {
            text += u"the item it uses loses its end " +
                    Quoted(Abbreviated(uncut.substr(kept.size()), kShownUnits));
        } else {
            text += u"the cut splits a \"//\", whose first \"/\" stays in the item";
        }
        Add(index + 1, text);
    }

    const std::string& bytes_;
    CTextLine text_;
    bool loaded_ = false;
    Findings findings_;
};
}  // namespace

Findings FileTraps(const std::string& bytes) {
    return FileReader(bytes).Run();
}
