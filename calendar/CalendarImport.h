#pragma once

#include "calendar/IcsCalendar.h"
#include "rules/RuleFinder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace holiday {
class HolidayTable;
}

namespace calendar {

// One title of a calendar as a rule: the title's n-th date in each year (a title with one date a
// year, the usual case, has only the first), and the rules that give those dates.
struct ImportedTitle {
    std::string Title;
    std::int32_t Position = 0;  // 0 for the title's first date in a year, 1 for its second ...
    std::int32_t Positions = 1; // the most dates the title has in one year
    rules::RuleSearch Search;
    // After MergeInto, for a title that has its rule: the row that holds the rule, and whether
    // the merge added it.
    std::int32_t Row = 0;
    bool Added = false;

    // Exactly one rule fits; it is the one a merge writes.
    [[nodiscard]] bool HasRule() const noexcept { return Search.Fits.size() == 1; }
};

// The holidays of a calendar over a span of years turned into rules, by title (the exact
// text). The dates of a title in each year are taken in order: the first date of every year
// makes one rule, the second date (a title given twice a year, the second day of a two-day
// event) another, with the same title.
class CalendarImport {
public:
    // holidays: by date (as IcsCalendar::Holidays gives them); those outside years are left
    // out. Throws std::out_of_range unless years lie in 1..9999.
    CalendarImport(const std::vector<CalendarHoliday>& holidays, YearSpan years);

    [[nodiscard]] YearSpan Years() const noexcept { return mYears; }
    // In the order of each title's first date.
    [[nodiscard]] const std::vector<ImportedTitle>& Titles() const noexcept { return mTitles; }
    // Every title has its rule.
    [[nodiscard]] bool AllHaveRules() const noexcept;

    // Writes the rules into the configuration column whose header (row 0, column 5 on) is
    // config, appended as a new column when there is none. Each title's rule goes to a rule
    // row that gives the same date in every year of Years(): one of the same title if there is
    // one, else the first such row that no other title of this merge took; that row gets mark
    // in the column. Without such a row the rule becomes a new row (title, start date,
    // weekday, offset) after the last row that holds any text. Every other cell stays as it
    // was, so a second merge of the same calendar changes nothing. A table without any text
    // is given the header row of a new file first (Title, Start, Direction, Offset, an empty
    // cell, config). Rows whose rule is faulty in some year never match. The table's
    // observers hear of the merge once. Throws what the table's operations throw.
    void MergeInto(holiday::HolidayTable& table, const std::string& config,
                   const std::string& mark);

    // The summary a person reads at a glance: a heading line with the calendar's name, the
    // years and the counts; one line per title with its rule (and row, after MergeInto), or
    // the candidates when several fit, or the closest rule and the years it misses; the
    // skipped events when there are any.
    [[nodiscard]] std::vector<std::string> Summary(const std::string& calendarName,
                                                   const SkippedEvents& skipped) const;

private:
    YearSpan mYears;
    rules::RuleFinder mFinder;
    std::vector<ImportedTitle> mTitles;
};

// Years written short: "2015-2017, 2020".
[[nodiscard]] std::string YearList(const std::vector<std::int32_t>& years);

} // namespace calendar
