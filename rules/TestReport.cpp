#include "rules/TestReport.h"

#include "holiday/HolidayTable.h"
#include "rules/DateConversion.h"
#include "rules/Easter.h"
#include "rules/HolidayRule.h"
#include "rules/RuleColumns.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace rules {

namespace {

// One rule row of the report: its title and its prepared rule.
struct ReportRow {
    std::int32_t Row;
    std::string_view Title;
    PreparedHolidayRule Rule;
};

// The short dates of one report year and the years on either side, each formatted once.
class DateTexts {
public:
    DateTexts(std::int32_t year, const LocaleDateSettings& settings)
        : mFirst(CalendarDate::FromYmd(std::max(year - 1, 1), 1, 1).DayNumber()),
          mTexts(static_cast<std::size_t>(
              CalendarDate::FromYmd(std::min(year + 1, 9999), 12, 31).DayNumber() - mFirst + 1)),
          mSettings(settings) {}

    void Append(std::string& out, CalendarDate date) {
        const std::int64_t slot = date.DayNumber() - mFirst;
        if (slot < 0 || slot >= static_cast<std::int64_t>(mTexts.size())) {
            AppendShortDate(out, date, mSettings);
            return;
        }
        std::string& text = mTexts[static_cast<std::size_t>(slot)];
        if (text.empty()) {
            AppendShortDate(text, date, mSettings);
            if (text.empty()) { // a pattern that yields nothing is formatted every time
                return;
            }
        }
        out += text;
    }

private:
    std::int64_t mFirst;
    std::vector<std::string> mTexts;
    const LocaleDateSettings& mSettings;
};

} // namespace

void BuildTestReport(const holiday::HolidayTable& table, const LocaleDateSettings& settings,
                     const LineSink& sink, std::int32_t firstYear, std::int32_t lastYear) {
    if (firstYear < 1 || firstYear > 9999 || lastYear < 1 || lastYear > 9999) {
        throw std::out_of_range("report years must lie within 1 to 9999");
    }
    // The texts are read once for all years, and again from the row on where the sink changed
    // the table.
    const holiday::CellStore& cells = table.Cells();
    std::vector<ReportRow> rows;
    std::uint64_t revision = 0;
    std::int32_t rowCount = 0;
    auto prepare = [&](std::int32_t from) {
        revision = cells.Revision();
        for (std::int32_t row = from; row < rowCount; ++row) {
            const std::string_view startDate = cells.View(StartDateCol, row);
            if (!startDate.empty()) {
                rows.push_back({row, cells.View(TitleCol, row),
                                PreparedHolidayRule(startDate, cells.View(WeekdayCol, row),
                                                    cells.View(OffsetCol, row))});
            }
        }
    };
    std::string line;
    for (std::int32_t year = firstYear; year <= lastYear; ++year) {
        line.assign(17, ' ');
        line += "Year ";
        line += std::to_string(year);
        sink(line, {});

        if (table.RowCount() != rowCount || cells.Revision() != revision) {
            rowCount = table.RowCount();
            rows.clear();
            prepare(1);
        }
        const EasterDate easter = Ostern(year);
        const RuleYear ruleYear(static_cast<std::uint16_t>(year), easter.Day, easter.Month);
        DateTexts dates(year, settings);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const CalendarDate date = rows[i].Rule.Evaluate(ruleYear);
            line.clear();
            dates.Append(line, date);
            line += ": ";
            sink(line, rows[i].Title);
            if (cells.Revision() != revision) {
                const std::int32_t next = rows[i].Row + 1;
                rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i) + 1, rows.end());
                prepare(next);
            }
        }
    }
}

} // namespace rules
