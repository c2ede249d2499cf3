#pragma once

#include "rules/LocaleDateSettings.h"

#include <cstdint>
#include <functional>
#include <string>

namespace holiday {
class HolidayTable;
}

namespace rules {

using LineSink = std::function<void(const std::string& line)>;

inline constexpr std::int32_t FirstReportYear = 2005;
inline constexpr std::int32_t LastReportYear = 2015;

// For each year from firstYear to lastYear a heading (17 blanks, "Year ", the year) and one
// line per rule row 1 .. RowCount - 1 ("<FormatShortDate(date)>: <title>"), each handed to
// sink at once. Rows with an empty start date are skipped. The table is only read.
// Throws std::out_of_range, before any line, unless both years lie in 1..9999. Throws
// holiday::EConvertError at the first faulty rule, after sink had every line before it.
void BuildTestReport(const holiday::HolidayTable& table, const LocaleDateSettings& settings,
                     const LineSink& sink, std::int32_t firstYear = FirstReportYear,
                     std::int32_t lastYear = LastReportYear);

} // namespace rules
