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

// Every way to the screen decodes alike: a byte that starts no well-formed sequence is one
// U+FFFD, whether the text is short or long, inside a run of ASCII or at its end.
TEST(ShownTextTest, UTF8DecodesOneWayWithIllFormedBytesAsOneReplacementEach) {
    const std::string ascii(20, 'a'); // longer than one run of sixteen
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"empty", "", u""},
        {"ASCII runs", ascii + "b" + ascii,
         std::u16string(20, u'a') + u"b" + std::u16string(20, u'a')},
        {"two, three and four bytes", "\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80", u"ä€\U0001F600"},
        {"stray continuation",
         "a\x80"
         "b",
         u"a\uFFFDb"},
        {"truncated sequence",
         "\xe2\x82"
         "a",
         u"\uFFFD\uFFFDa"},
        {"truncated at the end", ascii + "\xf0\x9f\x98",
         std::u16string(20, u'a') + u"\uFFFD\uFFFD\uFFFD"},
        {"overlong", "\xc0\xaf", u"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"0xFF inside ASCII", ascii + "\xff" + ascii,
         std::u16string(20, u'a') + u"\uFFFD" + std::u16string(20, u'a')},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        const QString text = QString::fromStdU16String(tc.text);
        EXPECT_EQ(FromUtf8(tc.bytes), text);
        QString appended = QStringLiteral(">");
        AppendUtf8(appended, tc.bytes);
        EXPECT_EQ(appended, u'>' + text);
        // The bounded forms give the same characters, cut or whole.
        std::size_t taken = 0;
        EXPECT_EQ(Utf8Prefix(tc.bytes, text.size(), &taken), text);
        EXPECT_EQ(taken, tc.bytes.size());
        EXPECT_EQ(ElidedLine(tc.bytes, text.size()), text);
        if (text.size() > 2 && !text[1].isSurrogate()) {
            EXPECT_EQ(ElidedLine(tc.bytes, 2), text.first(2) + Ellipsis);
        }
    }
}
