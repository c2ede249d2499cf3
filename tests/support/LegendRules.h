#pragma once

#include "holiday/HolidayTable.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// The three example rules of the window's legend.
struct LegendRule {
    const char* Title;
    const char* Start;
    const char* Weekday;
    const char* Offset;
};
inline constexpr std::array<LegendRule, 3> LegendRules{{
    {"Easter Monday", "Easter", "0", "+1"},
    {"Last Wednesday in November", "30.11", "-We", "0"},
    {"Third Sunday in March", "01.03", "+Su", "+14"},
}};

// Their dates (day.month) in the report years 2005 to 2015, worked out by hand.
inline constexpr std::int32_t LegendFirstYear = 2005;
inline constexpr std::array<std::array<const char*, 3>, 11> LegendDates{{
    {"28.03", "30.11", "20.03"},
    {"17.04", "29.11", "19.03"},
    {"09.04", "28.11", "18.03"},
    {"24.03", "26.11", "16.03"},
    {"13.04", "25.11", "15.03"},
    {"05.04", "24.11", "21.03"},
    {"25.04", "30.11", "20.03"},
    {"09.04", "28.11", "18.03"},
    {"01.04", "27.11", "17.03"},
    {"21.04", "26.11", "16.03"},
    {"06.04", "25.11", "15.03"},
}};

// Puts the rules in turn into rows 1 to count (the three once unless given), columns 0 to 3,
// growing the table to count + 1 rows if needed.
inline void FillLegendRules(holiday::HolidayTable& table,
                            std::int32_t count = static_cast<std::int32_t>(LegendRules.size())) {
    table.SetRowCount(std::max(table.RowCount(), count + 1));
    for (std::int32_t row = 1; row <= count; ++row) {
        const LegendRule& rule =
            LegendRules[static_cast<std::size_t>(row - 1) % LegendRules.size()];
        for (const auto& [col, text] :
             {std::pair{0, rule.Title}, {1, rule.Start}, {2, rule.Weekday}, {3, rule.Offset}}) {
            table.SetCell(col, row, text);
        }
    }
}

// The test report's heading line of a year.
inline std::string ReportHeading(std::int32_t year) {
    return std::string(17, ' ').append("Year ").append(std::to_string(year));
}

// The test report of the legend rules with dates as dd.mm.yyyy, for the years first to last.
inline std::vector<std::string> LegendReport(std::int32_t first = LegendFirstYear,
                                             std::int32_t last = LegendFirstYear + 10) {
    std::vector<std::string> lines;
    for (std::int32_t year = first; year <= last; ++year) {
        lines.push_back(ReportHeading(year));
        const auto& dates = LegendDates[static_cast<std::size_t>(year - LegendFirstYear)];
        for (std::size_t r = 0; r < LegendRules.size(); ++r) {
            // Appended piece by piece: GCC 12 warns falsely on operator+ here (bug 105329).
            std::string line(dates[r]);
            line.append(".").append(std::to_string(year)).append(": ").append(LegendRules[r].Title);
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

} // namespace testsupport
