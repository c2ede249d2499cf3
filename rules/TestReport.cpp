#include "rules/TestReport.h"

#include "holiday/WorkProgress.h"
#include "rules/DateConversion.h"
#include "rules/RuleWalk.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace rules {

namespace {

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

// The progress of reading the rules, which tells the row reached of RowCount, as the first
// RowCount units of the whole report's total.
class ReadingProgress final : public holiday::WorkProgress {
public:
    ReadingProgress(holiday::WorkProgress& report, std::int64_t total)
        : mReport(report), mTotal(total) {}
    [[nodiscard]] bool Advance(std::int64_t done, std::int64_t /*total*/) override {
        return mReport.Advance(done, mTotal);
    }

private:
    holiday::WorkProgress& mReport;
    std::int64_t mTotal;
};

} // namespace

void BuildTestReport(const holiday::HolidayTable& table, const LocaleDateSettings& settings,
                     const LineSink& sink, std::int32_t firstYear, std::int32_t lastYear,
                     holiday::WorkProgress* progress) {
    if (firstYear < 1 || firstYear > 9999 || lastYear < 1 || lastYear > 9999) {
        throw std::out_of_range("report years must lie within 1 to 9999");
    }
    constexpr int ProgressLines = 1 << 10;
    RuleWalk walk(table);
    const std::int64_t rows = table.RowCount();
    const std::int64_t total = (std::max(lastYear - firstYear + 1, 0) + 1) * rows;
    if (progress != nullptr) {
        ReadingProgress reading(*progress, total);
        walk.Prepare(&reading);
    }
    std::int64_t reached = rows; // the units of the years before
    int lines = 0;
    std::string line;
    for (std::int32_t year = firstYear; year <= lastYear; ++year, reached += rows) {
        line.assign(17, ' ');
        line += "Year ";
        line += std::to_string(year);
        sink(line, {});

        DateTexts dates(year, settings);
        walk.WalkYear(year, [&](const RuleRow& row, CalendarDate date) {
            line.clear();
            dates.Append(line, date);
            line += ": ";
            sink(line, row.Title);
            if (progress != nullptr && ++lines == ProgressLines) {
                lines = 0;
                holiday::AdvanceOrAbort(progress, std::min(reached + row.Row, total), total);
            }
        });
        holiday::AdvanceOrAbort(progress, reached + rows, total);
    }
    // The rules' memory goes back in steps: freeing ten million at once stalls a window.
    while (walk.ReleaseSome()) {
        if (progress != nullptr) {
            (void)progress->Advance(total, total); // done: a cancel has nothing left to stop
        }
    }
}

} // namespace rules
