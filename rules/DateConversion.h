#pragma once

#include "rules/CalendarDate.h"
#include "rules/LocaleDateSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace rules {

// Reads a date of two or three numbers joined by settings.DateSeparator, in the order of the
// first d, m, y or e (either case, quoted text aside) of settings.ShortDateFormat: d gives
// day-month-year, m or none month-day-year, y or e year-month-day. Blanks (spaces) may stand
// before every number and separator and at the end, and one separator may end the text. A
// number takes digits while its value is below 1000. Two numbers are day and month (month
// and day unless the order is day-month-year) of currentYear. A year written with one or two
// digits is the year with those last two digits within currentYear - 50 .. currentYear + 49.
// Throws holiday::EConvertError "'%s' ist kein gültiges Datum" with the whole text.
[[nodiscard]] CalendarDate ParseLocaleDate(std::string_view text,
                                           const LocaleDateSettings& settings,
                                           std::int32_t currentYear);
// Reads spaces, an optional sign and decimal digits, or hexadecimal digits after "$", "x",
// "X", "0x" or "0X" (eight at most, read as a 32-bit two's-complement value), to the end.
// Throws holiday::EConvertError "''%s'' ist kein gültiger Integer-Wert" with the whole text.
[[nodiscard]] std::int32_t ParseInteger(std::string_view text);
// The date written by settings.ShortDateFormat: runs of d (1 day, 2 two-digit day, 3 short,
// 4 or more long weekday name), of m (1 month, 2 two-digit month, 3 short, 4 or more long
// month name), of y (1 or 2 two-digit year, 3 or more four-digit year) in either case, "/" the
// separator, text in single or double quotes without them, anything else as it stands.
[[nodiscard]] std::string FormatShortDate(CalendarDate date, const LocaleDateSettings& settings);
// FormatShortDate appended to out.
void AppendShortDate(std::string& out, CalendarDate date, const LocaleDateSettings& settings);

} // namespace rules
