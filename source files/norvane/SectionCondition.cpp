#include "norvane/SectionCondition.h"

#include "norvane/BuildCopyList.h"
#include "norvane/DecimalReading.h"
#include "norvane/ListKeywords.h"
#include "text/Tokenizer.h"

bool ConditionHolds(const WString& destFolder, const WString& conditionText) {
    if (conditionText == kNoCondition) return true;

    // Names keep any blanks around them: "0, a" tests " a", as the list author wrote it.
    Tokenizer pieces(conditionText, u",");
    // An empty line has no first piece: it reads as mode 0 with no names, which never holds.
    const bool anyNameSuffices = ReadDecimal(pieces.Next()).value == 0;
    for (WString name = pieces.Next(); !name.empty(); name = pieces.Next()) {
        const bool exists = !IsFileMissing(destFolder, name);
        if (anyNameSuffices && exists) return true;
        if (!anyNameSuffices && !exists) return false;
    }
    return !anyNameSuffices;
}
