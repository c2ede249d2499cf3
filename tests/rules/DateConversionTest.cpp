#include "rules/DateConversion.h"

#include "ConvertErrorMatcher.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using rules::CalendarDate;
using rules::LocaleDateSettings;
using rules::test::ExpectConvertError;

LocaleDateSettings Settings(const char* pattern, const char* separator) {
    return LocaleDateSettings{.ShortDateFormat = pattern, .DateSeparator = separator};
}

std::string DateMessage(const std::string& text) {
    return "'" + text + "' ist kein gültiges Datum";
}

std::string IntegerMessage(const std::string& text) {
    return "''" + text + "'' ist kein gültiger Integer-Wert";
}

TEST(ParseLocaleDate, ReadsDatesInTheLocaleOrder) {
    const struct {
        const char* Pattern;
        const char* Separator;
        const char* Text;
        CalendarDate Expected;
    } cases[] = {
        {"dd.mm.yyyy", ".", "30.11.2009", CalendarDate::FromYmd(2009, 11, 30)},
        {"dd.mm.yyyy", ".", " 1 . 3 .2009 ", CalendarDate::FromYmd(2009, 3, 1)},
        {"dd.mm.yyyy", ".", "01.03.2009.", CalendarDate::FromYmd(2009, 3, 1)},
        {"dd.mm.yyyy", ".", "0001.0003.002009", CalendarDate::FromYmd(2009, 3, 1)},
        {"dd.mm.yyyy", ".", "1.3", CalendarDate::FromYmd(2026, 3, 1)}, // current year
        {"m/d/yy", "/", "11/30/2009", CalendarDate::FromYmd(2009, 11, 30)},
        {"m/d/yy", "/", "3/1", CalendarDate::FromYmd(2026, 3, 1)},
        {"mm.dd.yyyy", ".", "11.30.2009", CalendarDate::FromYmd(2009, 11, 30)},
        {"yyyy-mm-dd", "-", "2009-11-30", CalendarDate::FromYmd(2009, 11, 30)},
        {"yyyy-mm-dd", "-", "11-30", CalendarDate::FromYmd(2026, 11, 30)},
        {"ee/mm/dd", "/", "2009/11/30", CalendarDate::FromYmd(2009, 11, 30)},
        {"\"day\" mm/dd/yyyy", "/", "11/30/2009", CalendarDate::FromYmd(2009, 11, 30)},
        {"Dd.MM.YYYY", ".", "30.11.2009", CalendarDate::FromYmd(2009, 11, 30)},
        {"#/#/#", "/", "11/30/2009", CalendarDate::FromYmd(2009, 11, 30)},
        {"yyyy年mm月dd日", "年", "2009年11年30", CalendarDate::FromYmd(2009, 11, 30)},
        // two-digit years lie within 50 years of the current year
        {"dd.mm.yy", ".", "1.3.09", CalendarDate::FromYmd(2009, 3, 1)},
        {"dd.mm.yy", ".", "1.3.75", CalendarDate::FromYmd(2075, 3, 1)},
        {"dd.mm.yy", ".", "1.3.76", CalendarDate::FromYmd(1976, 3, 1)},
        {"dd.mm.yy", ".", "1.3.5", CalendarDate::FromYmd(2005, 3, 1)},
        {"dd.mm.yy", ".", "1.3.009", CalendarDate::FromYmd(9, 3, 1)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rules::ParseLocaleDate(c.Text, Settings(c.Pattern, c.Separator), 2026),
                  c.Expected)
            << c.Pattern << " " << c.Text;
    }
}

TEST(ParseLocaleDate, RejectsWithTheWholeText) {
    const struct {
        const char* Pattern;
        const char* Separator;
        const char* Text;
    } cases[] = {
        {"dd.mm.yyyy", ".", ""},
        {"dd.mm.yyyy", ".", "30.2005"},     // 2005 is taken as the month
        {"dd.mm.yyyy", ".", "30.11..2005"}, // an empty number
        {"dd.mm.yyyy", ".", "31.04.2005"},
        {"dd.mm.yyyy", ".", "29.02.2005"},
        {"dd.mm.yyyy", ".", "easter.2005"},
        {"dd.mm.yyyy", ".", "Easter .2005"},
        {"dd.mm.yyyy", ".", "30.11.2009x"},
        {"dd.mm.yyyy", ".", "30.11.2009.."},
        {"dd.mm.yyyy", ".", "30.11.200956"}, // a number ends after four significant digits
        {"dd.mm.yyyy", ".", "30.11.2009 1"},
        {"dd.mm.yyyy", ".", "30-11-2009"},
        {"dd.mm.yyyy", ".", "30.11.\t2009"},
        {"dd.mm.yyyy", ".", "30.11.0000"}, // four digits: year 0
        {"m/d/yy", "/", "30.11.2009"},
        {"yyyy-mm-dd", ".", "30.11.2009"},
        {"dd.mm.yyyy", ".", "30.11.10000"},
    };
    for (const auto& c : cases) {
        ExpectConvertError(
            [&] { (void)rules::ParseLocaleDate(c.Text, Settings(c.Pattern, c.Separator), 2026); },
            DateMessage(c.Text));
    }
}

TEST(ParseInteger, ReadsDecimalAndHexadecimal) {
    const struct {
        const char* Text;
        std::int32_t Expected;
    } cases[] = {
        {"+14", 14},
        {"14", 14},
        {" 14", 14},
        {"014", 14},
        {"$0E", 14},
        {"0x0E", 14},
        {"x0e", 14},
        {"X0e", 14},
        {"0X0E", 14},
        {"-7", -7},
        {" 0", 0},
        {"+0", 0},
        {"-0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"00000000002147483647", 2147483647},
        {"$FFFFFFFF", -1},
        {"$7FFFFFFF", INT32_MAX},
        {"$80000000", INT32_MIN},
        {"-$10", -16},
        {"-$80000000", INT32_MIN},
        {"$00000000FF", 255},
        {"  -x1f", -31},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rules::ParseInteger(c.Text), c.Expected) << c.Text;
    }
}

TEST(ParseInteger, RejectsWithTheWholeText) {
    for (const char* text : {"",
                             " ",
                             "14 ",
                             "- 3",
                             "+-3",
                             "--3",
                             "+",
                             "$",
                             "0x",
                             "x",
                             "2147483648",
                             "-2147483649",
                             "99999999999999999999",
                             "$100000000",
                             "$FFFFFFFFF",
                             "0x1G",
                             "1e3",
                             "\t14",
                             "14.0",
                             "$ 1",
                             "0x-1",
                             "１４"}) {
        ExpectConvertError([&] { (void)rules::ParseInteger(text); }, IntegerMessage(text));
    }
    // The empty text gives four apostrophes at the start.
    ExpectConvertError([] { (void)rules::ParseInteger(""); },
                       "'''' ist kein gültiger Integer-Wert");
}

TEST(FormatShortDate, WritesByThePattern) {
    LocaleDateSettings settings = LocaleDateSettings::German();
    settings.DateSeparator.assign(1, '-');
    const struct {
        const char* Pattern;
        CalendarDate Date;
        const char* Expected;
    } cases[] = {
        {"dd.mm.yyyy", CalendarDate::FromYmd(2009, 4, 13), "13.04.2009"},
        {"d.m.yy", CalendarDate::FromYmd(2009, 4, 3), "3.4.09"},
        {"D.M.Y", CalendarDate::FromYmd(2009, 4, 3), "3.4.09"},
        {"d/m/yyy", CalendarDate::FromYmd(2009, 4, 3), "3-4-2009"},
        {"ddd, dddd", CalendarDate::FromYmd(2009, 4, 13), "Mo, Montag"},
        {"mmm mmmm mmmmm", CalendarDate::FromYmd(2009, 3, 1), "Mär März März"},
        {"dddd d. mmmm yyyy", CalendarDate::FromYmd(2009, 11, 25), "Mittwoch 25. November 2009"},
        {"yyyy", CalendarDate::FromYmd(5, 1, 1), "0005"},
        {"yy", CalendarDate::FromYmd(2000, 1, 1), "00"},
        {"\"day\" d 'of' mmmm", CalendarDate::FromYmd(2009, 4, 13), "day 13 of April"},
        {"'d/m' d", CalendarDate::FromYmd(2009, 4, 13), "d/m 13"},
        {"d 'unclosed m", CalendarDate::FromYmd(2009, 4, 13), "13 unclosed m"},
        {"dD", CalendarDate::FromYmd(2009, 4, 3), "33"}, // runs are of one identical character
        {"[d] ok", CalendarDate::FromYmd(2009, 4, 3), "[3] ok"},
        {"", CalendarDate::FromYmd(2009, 4, 3), ""},
    };
    for (const auto& c : cases) {
        settings.ShortDateFormat = std::string(c.Pattern);
        EXPECT_EQ(rules::FormatShortDate(c.Date, settings), c.Expected) << c.Pattern;
    }
}

} // namespace
