#include "app/DisplayText.h"

#include <gtest/gtest.h>

using namespace app;

TEST(DisplayTextTest, LinesLongerThanTheLimitShowTheirStartAndAnEllipsis) {
    const QString e(Ellipsis);
    const std::string_view smiley = "\xf0\x9f\x98\x80"; // two UTF-16 code units
    struct Case {
        const char* name;
        std::string line;
        QString shown; // by ElidedLine(line, 4) and ElideLongLines(line, 4)
    };
    const Case cases[] = {
        {"short", "Ost", QStringLiteral("Ost")},
        {"exactly the limit", "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4", QStringLiteral("ääää")},
        {"one more", "Ostern", QStringLiteral("Oste") + e},
        {"never half a character", "abc" + std::string(smiley), QStringLiteral("abc") + e},
        {"a pair that fits", "ab" + std::string(smiley) + "c",
         QStringLiteral("ab") + QString::fromUtf8(smiley) + e},
    };
    for (const auto& tc : cases) {
        EXPECT_EQ(ElidedLine(tc.line, 4), tc.shown) << tc.name;
        EXPECT_EQ(ElideLongLines(QString::fromUtf8(tc.line), 4), tc.shown) << tc.name;
    }
    EXPECT_EQ(ElideLongLines(QStringLiteral("Datum\n20070815\r\nab"), 4),
              QStringLiteral("Datu") + e + u'\n' + QStringLiteral("2007") + e +
                  QStringLiteral("\r\nab"));
}
