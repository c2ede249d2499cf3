#include "rules/CalendarDate.h"

#include "ConvertErrorMatcher.h"

#include <gtest/gtest.h>

namespace {

using rules::CalendarDate;
using rules::test::ExpectConvertError;

const std::string EncodeMessage = "Ungültiges Argument zum Codieren des Datums";

TEST(CalendarDate, ValidityOfTriples) {
    const struct {
        std::int32_t Year, Month, Day;
        bool Valid;
    } cases[] = {
        {1, 1, 1, true},       {9999, 12, 31, true}, {0, 12, 31, false},   {10000, 1, 1, false},
        {-2009, 4, 13, false}, {2009, 0, 1, false},  {2009, 13, 1, false}, {2009, 4, 0, false},
        {2009, 4, 30, true},   {2009, 4, 31, false}, {2009, 1, 31, true},  {2009, 12, 32, false},
        {2004, 2, 29, true},   {2005, 2, 29, false}, {2005, 2, 28, true},  {1900, 2, 29, false},
        {2000, 2, 29, true},   {2100, 2, 29, false}, {1600, 2, 29, true},  {4, 2, 29, true},
        {2000, 2, 30, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CalendarDate::IsValidYmd(c.Year, c.Month, c.Day), c.Valid)
            << c.Year << "-" << c.Month << "-" << c.Day;
        if (!c.Valid) {
            ExpectConvertError([&] { (void)CalendarDate::FromYmd(c.Year, c.Month, c.Day); },
                               EncodeMessage);
        }
    }
}

// Walks every day from 1 January 1 to 31 December 9999: consecutive triples are consecutive
// days, read back unchanged, with the weekday advancing by one.
TEST(CalendarDate, EveryDayOfTheRangeRoundTrips) {
    CalendarDate previous = CalendarDate::FromYmd(1, 1, 1);
    EXPECT_EQ(previous.DayOfWeek(), 2); // 1 January 1 was a Monday
    bool first = true;
    for (std::int32_t year = 1; year <= 9999; ++year) {
        for (std::int32_t month = 1; month <= 12; ++month) {
            for (std::int32_t day = 1; CalendarDate::IsValidYmd(year, month, day); ++day) {
                const CalendarDate date = CalendarDate::FromYmd(year, month, day);
                if (!first) {
                    ASSERT_EQ(date.DayNumber(), previous.DayNumber() + 1)
                        << year << "-" << month << "-" << day;
                    ASSERT_EQ(date.DayOfWeek(), previous.DayOfWeek() % 7 + 1);
                }
                const CalendarDate::Ymd ymd = date.ToYmd();
                ASSERT_EQ(ymd.Year, year);
                ASSERT_EQ(ymd.Month, month);
                ASSERT_EQ(ymd.Day, day);
                previous = date;
                first = false;
            }
        }
    }
}

TEST(CalendarDate, DayOfWeekOfKnownDates) {
    const struct {
        std::int32_t Year, Month, Day;
        int DayOfWeek;
    } cases[] = {
        {2001, 1, 1, 2}, {2009, 4, 13, 2}, {2009, 11, 30, 2}, {2009, 3, 1, 1},   {2005, 11, 30, 4},
        {1970, 1, 1, 5}, {2000, 2, 29, 3}, {9999, 12, 31, 6}, {1582, 10, 15, 6}, {2026, 12, 12, 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CalendarDate::FromYmd(c.Year, c.Month, c.Day).DayOfWeek(), c.DayOfWeek)
            << c.Year << "-" << c.Month << "-" << c.Day;
    }
}

TEST(CalendarDate, AddDaysStaysWithinYears1To9999) {
    const CalendarDate first = CalendarDate::FromYmd(1, 1, 1);
    const CalendarDate last = CalendarDate::FromYmd(9999, 12, 31);
    EXPECT_EQ(first.AddDays(last.DayNumber() - first.DayNumber()), last);
    EXPECT_EQ(last.AddDays(first.DayNumber() - last.DayNumber()), first);
    EXPECT_EQ(CalendarDate::FromYmd(2008, 2, 28).AddDays(1), CalendarDate::FromYmd(2008, 2, 29));
    EXPECT_EQ(CalendarDate::FromYmd(2009, 3, 1).AddDays(-1), CalendarDate::FromYmd(2009, 2, 28));
    EXPECT_EQ(CalendarDate::FromYmd(2009, 3, 1).AddDays(14), CalendarDate::FromYmd(2009, 3, 15));

    const struct {
        CalendarDate Date;
        std::int64_t Days;
    } outside[] = {
        {first, -1}, {last, 1}, {first, INT64_MIN}, {last, INT64_MAX}, {first, INT64_MAX}};
    for (const auto& c : outside) {
        ExpectConvertError([&] { (void)c.Date.AddDays(c.Days); }, EncodeMessage);
    }
}

} // namespace
