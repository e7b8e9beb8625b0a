#include "norvane/DisplayName.h"

#include "app/AppState.h"
#include "paths/PathText.h"
#include "platform/SystemServices.h"

WString DisplayName(const WString& fileName) {
    // The shell's path functions work in a path buffer; a longer name is shown cut.
    WChar buffer[kPathUnits] = {};
    CopyToPathBuffer(buffer, fileName);
    System().StripPath(buffer);
    System().RemoveExtension(buffer);
    return WString(buffer);
}
