#include <gtest/gtest.h>

#include "norvane/DisplayName.h"
#include "support/TempFolder.h"

namespace {
struct NameCase {
    WString listed;
    WString shown;
};

class DisplayNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DisplayNameTest, ShowsTheNameWithoutFolderAndLastExtension) {
    EXPECT_EQ(Narrow(DisplayName(GetParam().listed)), Narrow(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    ListedNames, DisplayNameTest,
    ::testing::Values(NameCase{u"sub\\setup.dat", u"setup"}, NameCase{u"docs\\manual.pdf", u"manual"},
                      NameCase{u"archive.tar.gz", u"archive.tar"}, NameCase{u"README", u"README"},
                      NameCase{u"v1.2\\notes", u"notes"}, NameCase{u"a/b/c.txt", u"c"},
                      NameCase{u"Data\\Deep\\Table.dat", u"Table"}));
}  // namespace
