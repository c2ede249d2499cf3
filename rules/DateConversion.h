#pragma once

#include "rules/CalendarDate.h"
#include "rules/LocaleDateSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace rules {

// Throws holiday::EConvertError "'%s' ist kein gültiges Datum" with the whole text.
// currentYear completes a text of two numbers.
[[nodiscard]] CalendarDate ParseLocaleDate(std::string_view text,
                                           const LocaleDateSettings& settings,
                                           std::int32_t currentYear);
// Throws holiday::EConvertError "''%s'' ist kein gültiger Integer-Wert" with the whole text.
[[nodiscard]] std::int32_t ParseInteger(std::string_view text);
// The date written by settings.ShortDateFormat.
[[nodiscard]] std::string FormatShortDate(CalendarDate date, const LocaleDateSettings& settings);

} // namespace rules
