#include "rules/HolidayRule.h"

#include "rules/DateConversion.h"
#include "rules/LocaleDateSettings.h"

#include <array>
#include <string>

namespace rules {

namespace {

// Sunday 1 unless one of the codes is found; a later code in this list wins.
[[nodiscard]] int TargetDayOfWeek(std::string_view weekday) noexcept {
    static constexpr std::array<std::string_view, 6> Codes = {"Mo", "Tu", "We", "Th", "Fr", "Sa"};
    int target = 1;
    for (std::size_t i = 0; i < Codes.size(); ++i) {
        if (weekday.find(Codes[i]) != std::string_view::npos) {
            target = static_cast<int>(i) + 2;
        }
    }
    return target;
}

[[nodiscard]] const LocaleDateSettings& FileNotation() {
    static const LocaleDateSettings settings = LocaleDateSettings::German();
    return settings;
}

} // namespace

namespace {

// Steps (1 to 6, or none) from date to the nearest target day in the direction of the move.
[[nodiscard]] CalendarDate MoveToWeekday(CalendarDate date, int direction, int target) {
    const int steps = ((target - date.DayOfWeek()) * direction + 7) % 7;
    return steps != 0 ? date.AddDays(direction * steps) : date;
}

// "D.M" with one or two digits each: the day and the month; false for any other text.
[[nodiscard]] bool ReadDayMonth(std::string_view text, int& day, int& month) noexcept {
    const std::size_t point = text.find('.');
    auto digits = [](std::string_view part, int& value) {
        if (part.empty() || part.size() > 2) {
            return false;
        }
        value = 0;
        for (const char c : part) {
            if (c < '0' || c > '9') {
                return false;
            }
            value = value * 10 + (c - '0');
        }
        return true;
    };
    return point != std::string_view::npos && digits(text.substr(0, point), day) &&
           digits(text.substr(point + 1), month);
}

} // namespace

CalendarDate EvaluateHolidayRule(std::string_view startDate, std::string_view weekday,
                                 std::string_view offset, std::uint16_t year,
                                 std::uint16_t easterDay, std::uint16_t easterMonth) {
    CalendarDate date = [&] {
        if (startDate == "Easter") {
            return CalendarDate::FromYmd(year, easterMonth, easterDay);
        }
        std::string joined;
        joined.reserve(startDate.size() + 6);
        joined += startDate;
        joined += '.';
        joined += std::to_string(year);
        return ParseLocaleDate(joined, FileNotation(), year);
    }();

    if (weekday != "0") {
        const int direction = weekday.find('-') != std::string_view::npos ? -1 : 1;
        date = MoveToWeekday(date, direction, TargetDayOfWeek(weekday));
    }

    if (offset != "0") {
        date = date.AddDays(ParseInteger(offset));
    }
    return date;
}

PreparedHolidayRule::PreparedHolidayRule(std::string_view startDate, std::string_view weekday,
                                         std::string_view offset)
    : mStartText(startDate), mWeekdayText(weekday), mOffsetText(offset) {
    // A day and month is taken as read only where the full conversion agrees in a leap year;
    // anything else is converted in full every year, with its errors.
    int day = 0;
    int month = 0;
    if (startDate == "Easter") {
        mStart = Start::Easter;
    } else if (ReadDayMonth(startDate, day, month) && CalendarDate::IsValidYmd(2004, month, day)) {
        try {
            if (EvaluateHolidayRule(startDate, "0", "0", 2004, 11, 4) ==
                CalendarDate::FromYmd(2004, month, day)) {
                mStart = Start::DayMonth;
                mDay = static_cast<std::int8_t>(day);
                mMonth = static_cast<std::int8_t>(month);
            }
        } catch (...) { // converted in full, and fails, every year
        }
    }
    if (weekday != "0") {
        mDirection = static_cast<std::int8_t>(weekday.find('-') != std::string_view::npos ? -1 : 1);
        mTarget = static_cast<std::int8_t>(TargetDayOfWeek(weekday));
    }
    if (offset == "0") {
        mOffsetRead = true;
    } else {
        try {
            mOffset = ParseInteger(offset);
            mOffsetRead = true;
        } catch (...) { // read again, and fails, every year
        }
    }
}

RuleYear::RuleYear(std::uint16_t year, std::uint16_t easterDay, std::uint16_t easterMonth) noexcept
    : Year(year), EasterDay(easterDay), EasterMonth(easterMonth) {
    if (!CalendarDate::IsValidYmd(year, 1, 1) ||
        !CalendarDate::IsValidYmd(year, easterMonth, easterDay)) {
        return;
    }
    Valid = true;
    Leap = CalendarDate::IsValidYmd(year, 2, 29);
    FirstDay = CalendarDate::FromYmd(year, 1, 1);
    FirstWeekday = FirstDay.DayOfWeek() - 1;
    EasterOffset = static_cast<int>(
        CalendarDate::FromYmd(year, easterMonth, easterDay).DayNumber() - FirstDay.DayNumber());
}

CalendarDate PreparedHolidayRule::Evaluate(std::uint16_t year, std::uint16_t easterDay,
                                           std::uint16_t easterMonth) const {
    return Evaluate(RuleYear(year, easterDay, easterMonth));
}

CalendarDate PreparedHolidayRule::Evaluate(const RuleYear& year) const {
    // Days before each month, in a common and in a leap year.
    static constexpr int DaysBefore[2][13] = {
        {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
        {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};
    const int leap = year.Leap ? 1 : 0;
    if (mStart == Start::Other || !mOffsetRead || !year.Valid ||
        (mStart == Start::DayMonth &&
         mDay > DaysBefore[leap][mMonth] - DaysBefore[leap][mMonth - 1])) {
        return EvaluateHolidayRule(mStartText, mWeekdayText, mOffsetText, year.Year, year.EasterDay,
                                   year.EasterMonth);
    }
    // Days from 1 January: the start, then the move to the target weekday.
    std::int64_t days =
        mStart == Start::Easter ? year.EasterOffset : DaysBefore[leap][mMonth - 1] + mDay - 1;
    if (mDirection != 0) {
        const int weekday = static_cast<int>((year.FirstWeekday + days) % 7);
        int forward = mTarget - 1 - weekday; // steps to the target on or after the start
        if (forward < 0) {
            forward += 7;
        }
        days += mDirection > 0 ? forward : -((7 - forward) % 7);
    }
    CalendarDate date = year.FirstDay.AddDays(days);
    if (mOffsetText != "0") {
        date = date.AddDays(mOffset);
    }
    return date;
}

} // namespace rules
