#pragma once

#include "rules/CalendarDate.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace holiday {
class HolidayTable;
}

namespace rules {

class RuleWalk;

// How the calendar shows a day by the mark of its rule in a configuration column: "1" (or any
// other mark) only shows the title, "*" sets Saturday's colour, "#" Sunday's colour. Ordered:
// of the holidays of one day, the greatest one colours it.
enum class DayColour : std::uint8_t { TitleOnly, Saturday, Sunday };

// The colour of a mark: Sunday when it holds "#", else Saturday when it holds "*", else
// TitleOnly; nullopt for the empty mark, which leaves the rule out of that configuration.
[[nodiscard]] std::optional<DayColour> MarkColour(std::string_view mark) noexcept;

// One holiday of one configuration in one year.
struct YearHoliday {
    CalendarDate Date;
    std::int32_t Row = 0;
    DayColour Colour = DayColour::TitleOnly;
    // The title cell, cut to its first MaxTitleBytes bytes at a character boundary.
    std::string Title;
};

// The holidays that the rules of a table give in one year for one configuration column (a row
// whose mark in that column is empty is no holiday there), by date and then by row. A rule may
// move its date into the year before or after (an offset past the year's end); such a holiday
// is kept with the date it has, so that a list of the year names it, but falls on no day of the
// year.
class YearHolidays {
public:
    // A title longer than this shows as its start: a cell may hold megabytes.
    static constexpr std::size_t MaxTitleBytes = 1000;

    YearHolidays() = default;

    // Evaluates every rule row of the table in year by walk (a walk over table) and keeps the
    // holidays marked in column col. Throws std::out_of_range unless year lies in 1..9999, and
    // ERuleError at the first faulty rule, marked in col or not, as the test report does.
    [[nodiscard]] static YearHolidays Compute(RuleWalk& walk, const holiday::HolidayTable& table,
                                              std::int32_t col, std::int32_t year);

    [[nodiscard]] std::int32_t Year() const noexcept { return mYear; }
    [[nodiscard]] const std::vector<YearHoliday>& Holidays() const noexcept { return mHolidays; }
    // The holidays on date, in row order.
    [[nodiscard]] std::span<const YearHoliday> On(CalendarDate date) const noexcept;
    // The greatest colour of the holidays on date; nullopt when none falls on it.
    [[nodiscard]] std::optional<DayColour> ColourOn(CalendarDate date) const noexcept;

private:
    std::int32_t mYear = 0;
    std::vector<YearHoliday> mHolidays;
};

} // namespace rules
