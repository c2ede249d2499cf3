#include "rules/HolidayRule.h"

#include "ConvertErrorMatcher.h"
#include "rules/Easter.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using rules::CalendarDate;
using rules::test::ExpectConvertError;

CalendarDate Evaluate(std::string_view start, std::string_view weekday, std::string_view offset,
                      std::uint16_t year) {
    const rules::EasterDate easter = rules::Ostern(year);
    return rules::EvaluateHolidayRule(start, weekday, offset, year, easter.Day, easter.Month);
}

CalendarDate Dm(int day, int month, int year) {
    return CalendarDate::FromYmd(year, month, day);
}

TEST(EvaluateHolidayRule, StartDatesAreReadDayPointMonth) {
    const struct {
        const char* Start;
        std::uint16_t Year;
        CalendarDate Expected;
    } cases[] = {
        {"Easter", 2009, Dm(12, 4, 2009)}, {"01.03", 2009, Dm(1, 3, 2009)},
        {"1.3", 2009, Dm(1, 3, 2009)},     {"1.03", 2009, Dm(1, 3, 2009)},
        {" 1 . 3 ", 2009, Dm(1, 3, 2009)}, {"31.12", 2009, Dm(31, 12, 2009)},
        {"29.02", 2008, Dm(29, 2, 2008)},  {"Easter", 2013, Dm(31, 3, 2013)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Evaluate(c.Start, "0", "0", c.Year), c.Expected) << c.Start;
    }
}

TEST(EvaluateHolidayRule, WeekdayTexts) {
    // 30 November 2009 is a Monday, 29 November a Sunday.
    const struct {
        const char* Weekday;
        const char* Start;
        CalendarDate Expected;
    } cases[] = {
        {"0", "30.11", Dm(30, 11, 2009)},
        {"", "30.11", Dm(6, 12, 2009)},   // forward to a Sunday
        {" 0", "30.11", Dm(6, 12, 2009)}, // not exactly "0"
        {"00", "30.11", Dm(6, 12, 2009)},
        {"+su", "30.11", Dm(6, 12, 2009)},  // codes are case-sensitive
        {"+Su", "29.11", Dm(29, 11, 2009)}, // already on the target
        {"-Su", "29.11", Dm(29, 11, 2009)},
        {"-Su", "30.11", Dm(29, 11, 2009)},
        {"+Mo", "30.11", Dm(30, 11, 2009)},
        {"-Mo", "1.12", Dm(30, 11, 2009)},
        {"+Tu", "30.11", Dm(1, 12, 2009)},
        {"-We", "30.11", Dm(25, 11, 2009)},
        {"+We", "30.11", Dm(2, 12, 2009)},
        {"Th", "30.11", Dm(3, 12, 2009)}, // no sign means forward
        {"+Fr", "30.11", Dm(4, 12, 2009)},
        {"+Sa", "30.11", Dm(5, 12, 2009)},
        {"-Sa", "30.11", Dm(28, 11, 2009)},
        {"-Mo Fr", "30.11", Dm(27, 11, 2009)}, // the later code in the list wins
        {"Fr-Mo", "30.11", Dm(27, 11, 2009)},
        {"SaMo", "30.11", Dm(5, 12, 2009)},
        {"Saturday", "30.11", Dm(5, 12, 2009)},
        {"Thursday", "30.11", Dm(3, 12, 2009)},
        {"Sunday", "30.11", Dm(6, 12, 2009)},
        {"x-", "30.11", Dm(29, 11, 2009)}, // a minus anywhere means backward
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Evaluate(c.Start, c.Weekday, "0", 2009), c.Expected)
            << "'" << c.Weekday << "' from " << c.Start;
    }
}

TEST(EvaluateHolidayRule, Offsets) {
    const CalendarDate base = Dm(1, 3, 2009);
    const struct {
        const char* Offset;
        std::int64_t Days;
    } cases[] = {
        {"+14", 14},  {"14", 14},     {" 14", 14},    {"014", 14}, {"$0E", 14},
        {"0x0E", 14}, {"x0e", 14},    {"-7", -7},     {" 0", 0},   {"+0", 0},
        {"0", 0},     {"-365", -365}, {"$7FF", 2047},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Evaluate("01.03", "0", c.Offset, 2009), base.AddDays(c.Days)) << c.Offset;
    }
}

TEST(EvaluateHolidayRule, FailuresCarryTheirMessage) {
    const std::string encode = "Ungültiges Argument zum Codieren des Datums";
    const struct {
        const char* Start;
        const char* Weekday;
        const char* Offset;
        std::uint16_t Year;
        std::string Message;
    } cases[] = {
        {"easter", "0", "0", 2005, "'easter.2005' ist kein gültiges Datum"},
        {"Easter ", "0", "0", 2005, "'Easter .2005' ist kein gültiges Datum"},
        {"30", "0", "0", 2005, "'30.2005' ist kein gültiges Datum"},
        {"30.11.", "0", "0", 2005, "'30.11..2005' ist kein gültiges Datum"},
        {"31.04", "0", "0", 2005, "'31.04.2005' ist kein gültiges Datum"},
        {"29.02", "0", "0", 2005, "'29.02.2005' ist kein gültiges Datum"},
        {"11/30", "0", "0", 2005, "'11/30.2005' ist kein gültiges Datum"},
        {"0", "0", "0", 2005, "'0.2005' ist kein gültiges Datum"},
        // the start date is converted before the offset
        {"31.04", "0", "", 2005, "'31.04.2005' ist kein gültiges Datum"},
        {"30.11", "0", "14 ", 2005, "''14 '' ist kein gültiger Integer-Wert"},
        {"30.11", "0", "- 3", 2005, "''- 3'' ist kein gültiger Integer-Wert"},
        {"30.11", "0", "+-3", 2005, "''+-3'' ist kein gültiger Integer-Wert"},
        {"30.11", "0", "$", 2005, "''$'' ist kein gültiger Integer-Wert"},
        {"30.11", "0", "0x", 2005, "''0x'' ist kein gültiger Integer-Wert"},
        {"30.11", "0", "2147483648", 2005, "''2147483648'' ist kein gültiger Integer-Wert"},
        {"30.11", "", "", 2005, "'''' ist kein gültiger Integer-Wert"}, // a new row
        // dates that would leave the years 1 to 9999
        {"30.11", "0", "2147483647", 2005, encode},
        {"30.11", "0", "-2147483648", 2005, encode},
        {"30.11", "0", "-800000", 2009, encode},
        {"31.12", "0", "+1", 9999, encode},
        {"31.12", "Sa", "0", 9999, encode}, // 31.12.9999 is a Friday
        {"1.1", "-Su", "0", 1, encode},     // 1.1.1 is a Monday
    };
    for (const auto& c : cases) {
        ExpectConvertError([&] { (void)Evaluate(c.Start, c.Weekday, c.Offset, c.Year); },
                           c.Message);
    }
}

} // namespace

namespace {

// The date, or the message of the error.
template <typename Evaluation> std::string Outcome(Evaluation&& evaluate) {
    try {
        return std::to_string(evaluate().DayNumber());
    } catch (const holiday::EConvertError& e) {
        return std::string("error: ") + e.what();
    }
}

TEST(PreparedHolidayRule, GivesWhatTheFullEvaluationGivesEveryYear) {
    const struct {
        const char* Start;
        const char* Weekday;
        const char* Offset;
    } texts[] = {
        {"Easter", "0", "+1"},    {"30.11", "-We", "0"},  {"1.3", "+Su", "+14"},
        {"29.02", "0", "0"},      {"29.2", "+Mo", "-1"},  {"31.04", "0", "0"},
        {"01.13", "0", "0"},      {"24.12", "0", "$0E"},  {"24.12", "0", "x"},
        {"1.5.", "0", "0"},       {" 1.5", "0", "0"},     {"001.5", "0", "0"},
        {"easter", "0", "0"},     {"Easter", "Sa-", "0"}, {"31.12", "0", "99999999"},
        {"1.1", "0", "-9999999"}, {"", "0", "0"},         {"7.7", "", ""},
        {"1.1", "-Mo", "0"},      {"31.12", "+Th", "+3"}, {"Easter", "-Fr", "-1"},
    };
    for (const auto& t : texts) {
        const rules::PreparedHolidayRule rule(t.Start, t.Weekday, t.Offset);
        // Years 1 and 2 (the formula's truncating division), around the report years, 9999.
        for (const int y :
             {1, 2, 998, 1995, 2000, 2004, 2005, 2009, 2011, 2013, 2015, 2016, 2100, 9999}) {
            const auto year = static_cast<std::uint16_t>(y);
            const rules::EasterDate easter = rules::Ostern(year);
            EXPECT_EQ(Outcome([&] { return rule.Evaluate(year, easter.Day, easter.Month); }),
                      Outcome([&] { return Evaluate(t.Start, t.Weekday, t.Offset, year); }))
                << t.Start << " " << t.Weekday << " " << t.Offset << " " << year;
        }
    }
}

} // namespace
