// The name the main dialog shows for the file being copied.
#include <gtest/gtest.h>

#include "norvane/DisplayName.h"
#include "support/TempFolder.h"

TEST(DisplayName, ShowsTheNameWithoutFolderAndLastExtension) {
    const struct {
        WString listed;
        const char* shown;
    } cases[] = {{u"sub\\setup.dat", "setup"},
                 {u"archive.tar.gz", "archive.tar"},
                 {u"README", "README"},
                 {u"v1.2\\notes", "notes"},
                 {u"a/b/c.txt", "c"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Narrow(DisplayName(c.listed)), c.shown) << Narrow(c.listed);
    }
}
