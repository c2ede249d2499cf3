#include "app/ShownText.h"

#include <gtest/gtest.h>

using namespace app;

TEST(ShownTextTest, LinesLongerThanTheLimitShowTheirStartAndAnEllipsis) {
    const QString e(Ellipsis);
    const std::string_view smiley = "\xf0\x9f\x98\x80"; // two UTF-16 code units
    struct Case {
        const char* name;
        std::string line;
        QString shown; // by ElidedLine(line, 4)
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
    }
}

TEST(ShownTextTest, ABoundedTextShowsTheStartAndTheEndOfItsLinesAndOfEachLine) {
    struct Case {
        const char* name;
        const char16_t* text;
        const char16_t* shown; // by ElidedText(text, 5, 5), "~" for the ellipsis
    };
    const Case cases[] = {
        {"short", u"Ost", u"Ost"},
        {"empty", u"", u""},
        {"one more than the limit", u"Ostern", u"Os~rn"},
        {"never half a character at the start", u"a\U0001F600xyz\U0001F600", u"a~\U0001F600"},
        {"never half a character at the end", u"abxyz\U0001F600c", u"ab~c"},
        {"as many lines as the limit", u"1\n2\r\n3\n4\n5", u"1\n2\r\n3\n4\n5"},
        {"one line more", u"1\n2\r\n3\n4\n5\r\n6", u"1\n2\r\n~\n5\r\n6"},
        {"a last empty line", u"a\nb\nc\nd\ne\nfghijkl\n", u"a\nb\n~\nfg~kl\n"},
    };
    for (const auto& tc : cases) {
        EXPECT_EQ(ElidedText(QString::fromUtf16(tc.text), 5, 5),
                  QString::fromUtf16(tc.shown).replace(u'~', Ellipsis))
            << tc.name;
    }
}
