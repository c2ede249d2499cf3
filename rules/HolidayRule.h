#pragma once

#include "rules/CalendarDate.h"

#include <cstdint>
#include <string_view>

namespace rules {

// The date one rule gives in year: start date ("Easter" or day.month, read in the file's own
// day-point-month notation whatever the user's locale), weekday move, offset in days.
// Throws holiday::EConvertError (the start date is converted before the offset).
[[nodiscard]] CalendarDate EvaluateHolidayRule(std::string_view startDate,
                                               std::string_view weekday,
                                               std::string_view offset, std::uint16_t year,
                                               std::uint16_t easterDay,
                                               std::uint16_t easterMonth);

} // namespace rules
