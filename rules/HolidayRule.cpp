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
        const int target = TargetDayOfWeek(weekday);
        // Steps (1 to 6, or none) to the nearest target day in the direction of the move.
        const int steps = ((target - date.DayOfWeek()) * direction + 7) % 7;
        if (steps != 0) {
            date = date.AddDays(direction * steps);
        }
    }

    if (offset != "0") {
        date = date.AddDays(ParseInteger(offset));
    }
    return date;
}

} // namespace rules
