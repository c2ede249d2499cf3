#pragma once

#include "rules/LocaleDateSettings.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace holiday {
class HolidayTable;
class WorkProgress;
} // namespace holiday

namespace rules {

// Receives one line of the report as two parts, the line being lead followed by title: a
// heading has an empty title, a rule line's title is the rule's title cell. A title may be of any
// length, so it is handed over as the table holds it, without a copy.
using LineSink = std::function<void(std::string_view lead, std::string_view title)>;

inline constexpr std::int32_t FirstReportYear = 2005;
inline constexpr std::int32_t LastReportYear = 2015;

// For each year from firstYear to lastYear a heading (17 blanks, "Year ", the year) and one
// line per rule row 1 .. RowCount - 1 ("<FormatShortDate(date)>: <title>"), each handed to
// sink at once. Rows with an empty start date are skipped. The report only reads the table; the
// sink may change it, and every line is then of the table as it stands when the line is made
// (RuleWalk). Throws std::out_of_range, before any line, unless both years lie in 1..9999.
// Throws ERuleError (a holiday::EConvertError with the faulty cell and year) at the first
// faulty rule, after sink had every line before it. progress (may be null) hears, every thousand
// lines or so, how far the report is, in units of (years + 1) x RowCount (reading the rules is
// the first RowCount of them); when it asks to stop, EAbort unwinds, after sink had every line
// before.
void BuildTestReport(const holiday::HolidayTable& table, const LocaleDateSettings& settings,
                     const LineSink& sink, std::int32_t firstYear = FirstReportYear,
                     std::int32_t lastYear = LastReportYear,
                     holiday::WorkProgress* progress = nullptr);

} // namespace rules
