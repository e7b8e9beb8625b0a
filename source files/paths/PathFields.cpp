#include "platform/SystemServices.h"
#include "paths/PathFields.h"

#include <algorithm>
#include <iterator>

#include "paths/PathText.h"

WString PathBufferText(const WChar (&buffer)[kPathUnits]) {
    return WString(std::begin(buffer), std::find(std::begin(buffer), std::end(buffer), u'\0'));
}

void ClearPathFields(AppState& state) {
    std::fill(std::begin(state.pathBase), std::end(state.pathBase), u'\0');
    for (auto& slot : state.pathSlots) std::fill(std::begin(slot), std::end(slot), u'\0');
}

void SetPathBase(AppState& state, WString folder) {
    AddBackslash(folder);
    CopyToPathBuffer(state.pathBase, folder);
}
