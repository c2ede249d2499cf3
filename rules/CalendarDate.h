#pragma once

#include <compare>
#include <cstdint>

namespace rules {

// One day of the proleptic Gregorian calendar between 1 January 1 and 31 December 9999, held
// as a signed day count (day 0 is 1 January 1970).
class CalendarDate {
public:
    struct Ymd {
        std::int32_t Year;
        std::int32_t Month;
        std::int32_t Day;
    };

    // Throws holiday::EConvertError "Ungültiges Argument zum Codieren des Datums" unless
    // IsValidYmd(year, month, day).
    [[nodiscard]] static CalendarDate FromYmd(std::int32_t year, std::int32_t month,
                                              std::int32_t day);
    // Year 1..9999, month 1..12, day 1 to the length of the month; February has 29 days in
    // years divisible by 4 and not by 100, or divisible by 400.
    [[nodiscard]] static bool IsValidYmd(std::int32_t year, std::int32_t month,
                                         std::int32_t day) noexcept;

    // Throws holiday::EConvertError "Ungültiges Argument zum Codieren des Datums" when the
    // result would lie before 1 January 1 or after 31 December 9999.
    [[nodiscard]] CalendarDate AddDays(std::int64_t days) const;
    // Sunday 1, Monday 2, ... Saturday 7.
    [[nodiscard]] int DayOfWeek() const noexcept;
    // Year, month and day at once.
    [[nodiscard]] Ymd ToYmd() const noexcept;
    [[nodiscard]] std::int32_t Year() const noexcept;
    [[nodiscard]] std::int32_t Month() const noexcept;
    [[nodiscard]] std::int32_t Day() const noexcept;
    [[nodiscard]] std::int64_t DayNumber() const noexcept { return mDays; }

    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
    friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;

    // 1 January 1970, for a date that is assigned before it is read.
    CalendarDate() noexcept = default;

private:
    explicit CalendarDate(std::int64_t days) noexcept : mDays(days) {}

    std::int64_t mDays = 0;
};

} // namespace rules
