#include "rules/TestReport.h"

#include "holiday/HolidayTable.h"
#include "rules/DateConversion.h"
#include "rules/Easter.h"
#include "rules/HolidayRule.h"
#include "rules/RuleColumns.h"

#include <stdexcept>

namespace rules {

void BuildTestReport(const holiday::HolidayTable& table, const LocaleDateSettings& settings,
                     const LineSink& sink, std::int32_t firstYear, std::int32_t lastYear) {
    if (firstYear < 1 || firstYear > 9999 || lastYear < 1 || lastYear > 9999) {
        throw std::out_of_range("report years must lie within 1 to 9999");
    }
    std::string line;
    for (std::int32_t year = firstYear; year <= lastYear; ++year) {
        line.assign(17, ' ');
        line += "Year ";
        line += std::to_string(year);
        sink(line);

        const EasterDate easter = Ostern(year);
        const std::int32_t rowCount = table.RowCount();
        for (std::int32_t row = 1; row < rowCount; ++row) {
            const std::string startDate = table.GetCell(StartDateCol, row);
            if (startDate.empty()) {
                continue;
            }
            const CalendarDate date = EvaluateHolidayRule(
                startDate, table.GetCell(WeekdayCol, row), table.GetCell(OffsetCol, row),
                static_cast<std::uint16_t>(year), easter.Day, easter.Month);
            line.clear();
            AppendShortDate(line, date, settings);
            line += ": ";
            line += table.GetCell(TitleCol, row);
            sink(line);
        }
    }
}

} // namespace rules
