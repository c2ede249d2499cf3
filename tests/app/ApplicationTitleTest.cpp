#include "app/ApplicationTitle.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <ostream>

using namespace app;

namespace {

struct TitleCase {
    const char* Path;
    const char* Title;
};

void PrintTo(const TitleCase& c, std::ostream* out) {
    *out << '"' << c.Path << '"';
}

class TitleFromProgramPathTest : public testing::TestWithParam<TitleCase> {};

TEST_P(TitleFromProgramPathTest, KeepsTheFileNameUpToItsFirstPointInLowerCaseAfterTheFirst) {
    EXPECT_EQ(TitleFromProgramPath(QString::fromUtf8(GetParam().Path)),
              QString::fromUtf8(GetParam().Title));
}

INSTANTIATE_TEST_SUITE_P(
    Rule, TitleFromProgramPathTest,
    testing::Values(TitleCase{"DARAVIR.EXE", "Daravir"}, TitleCase{"DarAvir.Tool.exe", "Daravir"},
                    TitleCase{"/usr/bin/mirevo-holidays", "mirevo-holidays"},
                    TitleCase{"/opt/v1.2/MIREVO", "Mirevo"}, // a point in a folder name
                    TitleCase{"/home/a/x.y/", ""},           // nothing after the last "/"
                    TitleCase{"/tmp/.hidden", ""},           // a point at the very start
                    TitleCase{"mirevo", "mirevo"},           // the first character stays
                    TitleCase{"/bin/ÄRGER.EXE", "Ärger"},    // lower case beyond ASCII
                    TitleCase{"/bin/𝐀BC", "𝐀bc"},            // first character outside BMP
                    TitleCase{"/bin/éLAN", "élan"}));        // a lower-case first stays

TEST(Title, ComesFromTheRunningProgramFile) {
    // The test program is app_ApplicationTitleTest.
    EXPECT_EQ(Title(), u"app_applicationtitletest");
    EXPECT_EQ(&Title(), &Title()); // derived once
}

} // namespace
