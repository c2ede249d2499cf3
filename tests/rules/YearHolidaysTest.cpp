#include "rules/YearHolidays.h"

#include "holiday/HolidayTable.h"
#include "rules/RuleWalk.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using rules::CalendarDate;
using rules::DayColour;

// Rows of title, start date, weekday move, offset and the mark of configuration column 5.
void Fill(holiday::HolidayTable& table, const std::vector<std::vector<std::string>>& rows) {
    table.SetRowCount(static_cast<std::int32_t>(rows.size()) + 1);
    table.SetCell(5, 0, "DE-SL");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::int32_t cols[] = {0, 1, 2, 3, 5};
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            table.SetCell(cols[c], static_cast<std::int32_t>(r) + 1, rows[r][c]);
        }
    }
}

TEST(YearHolidays, MarksChooseTheColour) {
    const std::pair<const char*, std::optional<DayColour>> cases[] = {
        {"", std::nullopt},         {"1", DayColour::TitleOnly}, {" x", DayColour::TitleOnly},
        {"*", DayColour::Saturday}, {"#", DayColour::Sunday},    {"*#", DayColour::Sunday},
    };
    for (const auto& [mark, colour] : cases) {
        EXPECT_EQ(rules::MarkColour(mark), colour) << mark;
    }
}

TEST(YearHolidays, KnownDatesOfTheYearByDateWithTheirMarks) {
    holiday::HolidayTable table;
    Fill(table,
         {
             {"Silvester", "31.12", "0", "+1", "#"}, // moved into the next year
             {"Mariä Himmelfahrt", "15.08", "0", "0", "#"},
             {"Valentinstag", "14.02", "0", "0", "1"},
             {"Samstagsfest", "01.05", "+Sa", "0", "*"},
             {"Tag der Deutschen Einheit", "03.10", "0", "0", ""}, // not in this configuration
             {"Ostersonntag", "Easter", "0", "0", "1"},
             {"Ostern", "Easter", "0", "0", "#"},
             {"Kein Datum", "", "0", "0", "#"}, // no rule
         });
    rules::RuleWalk walk(table);
    const rules::YearHolidays year = rules::YearHolidays::Compute(walk, table, 5, 2026);
    struct Expected {
        CalendarDate Date;
        std::int32_t Row;
        DayColour Colour;
        const char* Title;
    };
    const Expected expected[] = {
        {CalendarDate::FromYmd(2026, 2, 14), 3, DayColour::TitleOnly, "Valentinstag"},
        {CalendarDate::FromYmd(2026, 4, 5), 6, DayColour::TitleOnly, "Ostersonntag"},
        {CalendarDate::FromYmd(2026, 4, 5), 7, DayColour::Sunday, "Ostern"},
        {CalendarDate::FromYmd(2026, 5, 2), 4, DayColour::Saturday, "Samstagsfest"},
        {CalendarDate::FromYmd(2026, 8, 15), 2, DayColour::Sunday, "Mariä Himmelfahrt"},
        {CalendarDate::FromYmd(2027, 1, 1), 1, DayColour::Sunday, "Silvester"},
    };
    ASSERT_EQ(year.Holidays().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const rules::YearHoliday& got = year.Holidays()[i];
        SCOPED_TRACE(expected[i].Title);
        EXPECT_EQ(got.Date, expected[i].Date);
        EXPECT_EQ(got.Row, expected[i].Row);
        EXPECT_EQ(got.Colour, expected[i].Colour);
        EXPECT_EQ(got.Title, expected[i].Title);
    }
    // A day of two holidays takes the greater colour; the rows keep their order.
    EXPECT_EQ(year.On(CalendarDate::FromYmd(2026, 4, 5)).size(), 2U);
    EXPECT_EQ(year.ColourOn(CalendarDate::FromYmd(2026, 4, 5)), DayColour::Sunday);
    EXPECT_EQ(year.ColourOn(CalendarDate::FromYmd(2026, 10, 3)), std::nullopt);
}

TEST(YearHolidays, AFaultyRuleFailsAsTheReportDoesAndALongTitleIsCutAtACharacter) {
    holiday::HolidayTable table;
    Fill(table, {
                    {std::string(999, 'a') + "ä", "01.01", "0", "0", "1"},
                    {"Fehler", "31.04", "0", "0", ""}, // unmarked here, still a faulty rule
                });
    rules::RuleWalk walk(table);
    try {
        (void)rules::YearHolidays::Compute(walk, table, 5, 2026);
        ADD_FAILURE() << "no error";
    } catch (const rules::ERuleError& error) {
        EXPECT_EQ(holiday::DisplayText(error), "'31.04.2026' ist kein gültiges Datum.");
        EXPECT_EQ(error.Row(), 2);
    }
    table.SetCell(1, 2, "30.04");
    const rules::YearHolidays year = rules::YearHolidays::Compute(walk, table, 5, 2026);
    ASSERT_EQ(year.Holidays().size(), 1U);
    EXPECT_EQ(year.Holidays()[0].Title, std::string(999, 'a'));
    EXPECT_THROW((void)rules::YearHolidays::Compute(walk, table, 5, 10000), std::out_of_range);
}

} // namespace
