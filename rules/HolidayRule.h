#pragma once

#include "rules/CalendarDate.h"

#include <cstdint>
#include <string_view>

namespace rules {

// The date one rule gives in year.
// - startDate: "Easter" (exactly) for the Easter Sunday given by easterDay and easterMonth,
//   otherwise day and month, read as startDate + "." + year in the file's own day-point-month
//   notation whatever the user's locale (LocaleDateSettings::German()).
// - weekday: "0" for no move; otherwise to the nearest day on or after the date (on or before
//   it when the text holds "-") that is a Monday, Tuesday ... Saturday when the text holds
//   "Mo", "Tu", "We", "Th", "Fr" or "Sa" (the last of these in that order wins), else a Sunday.
// - offset: "0" for none, otherwise days added as read by ParseInteger.
// The start date is converted before the offset. Throws holiday::EConvertError: the date
// message of ParseLocaleDate, the integer message of ParseInteger, or "Ungültiges Argument
// zum Codieren des Datums" when the date would leave the years 1 to 9999.
[[nodiscard]] CalendarDate EvaluateHolidayRule(std::string_view startDate, std::string_view weekday,
                                               std::string_view offset, std::uint16_t year,
                                               std::uint16_t easterDay, std::uint16_t easterMonth);

// A year as the rules of a report need it, worked out once for all of them: its first day, its
// weekday, whether it is a leap year, and its Easter date as given (Ostern's).
struct RuleYear {
    RuleYear(std::uint16_t year, std::uint16_t easterDay, std::uint16_t easterMonth) noexcept;

    std::uint16_t Year;
    std::uint16_t EasterDay;
    std::uint16_t EasterMonth;
    bool Valid = false; // the year and its Easter date are dates of years 1 to 9999
    bool Leap = false;
    int FirstWeekday = 0;  // of 1 January: 0 Sunday .. 6 Saturday
    int EasterOffset = 0;  // days from 1 January to Easter Sunday
    CalendarDate FirstDay; // 1 January
};

// One rule's texts read once, for its evaluation in many years. Evaluate gives exactly what
// EvaluateHolidayRule gives for the same texts, and throws the same errors in the same order;
// the texts must stay alive and unchanged while the rule is used.
class PreparedHolidayRule {
public:
    PreparedHolidayRule(std::string_view startDate, std::string_view weekday,
                        std::string_view offset);

    [[nodiscard]] CalendarDate Evaluate(std::uint16_t year, std::uint16_t easterDay,
                                        std::uint16_t easterMonth) const;
    [[nodiscard]] CalendarDate Evaluate(const RuleYear& year) const;

    [[nodiscard]] std::string_view StartDate() const noexcept { return mStartText; }
    [[nodiscard]] std::string_view Weekday() const noexcept { return mWeekdayText; }
    [[nodiscard]] std::string_view Offset() const noexcept { return mOffsetText; }

private:
    enum class Start : std::uint8_t { Easter, DayMonth, Other };
    std::string_view mStartText;
    std::string_view mWeekdayText;
    std::string_view mOffsetText;
    Start mStart = Start::Other;
    std::int8_t mDay = 0;
    std::int8_t mMonth = 0;
    std::int8_t mDirection = 0; // 0: no move
    std::int8_t mTarget = 1;
    bool mOffsetRead = false; // the offset text was read (or is "0"); otherwise reread and fail
    std::int32_t mOffset = 0;
};

} // namespace rules
