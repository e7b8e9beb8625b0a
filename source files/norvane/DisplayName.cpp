#include "norvane/DisplayName.h"

#include <algorithm>

#include "app/AppState.h"
#include "platform/SystemServices.h"

WString DisplayName(const WString& fileName) {
    // The shell's path functions work in a path buffer; a longer name is shown cut.
    WChar buffer[kPathUnits] = {};
    std::copy_n(fileName.begin(), std::min(fileName.size(), size_t{kPathUnits - 1}), buffer);
    System().StripPath(buffer);
    System().RemoveExtension(buffer);
    return WString(buffer);
}
