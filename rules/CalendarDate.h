#pragma once

#include <cstdint>

namespace rules {

// One day of the proleptic Gregorian calendar, held as a signed day count.
class CalendarDate {
public:
    // Throws holiday::EConvertError "Ungültiges Argument zum Codieren des Datums" unless
    // year is 1..9999, month 1..12 and day within the month.
    [[nodiscard]] static CalendarDate FromYmd(std::int32_t year, std::int32_t month,
                                              std::int32_t day);
    [[nodiscard]] static bool IsValidYmd(std::int32_t year, std::int32_t month,
                                         std::int32_t day) noexcept;

    // Throws holiday::EConvertError "Ungültiges Argument zum Codieren des Datums" when the
    // result would lie before 1 January 1 or after 31 December 9999.
    [[nodiscard]] CalendarDate AddDays(std::int64_t days) const;
    // Sunday 1, Monday 2, ... Saturday 7.
    [[nodiscard]] int DayOfWeek() const noexcept;
    [[nodiscard]] std::int32_t Year() const noexcept;
    [[nodiscard]] std::int32_t Month() const noexcept;
    [[nodiscard]] std::int32_t Day() const noexcept;
    [[nodiscard]] std::int64_t DayNumber() const noexcept { return mDays; }

    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;

private:
    explicit CalendarDate(std::int64_t days) noexcept : mDays(days) {}
    std::int64_t mDays = 0;
};

} // namespace rules
