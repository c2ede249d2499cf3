#include "app/ImportCommand.h"

#include "app/ReportMemo.h"
#include "calendar/CalendarImport.h"
#include "calendar/IcsCalendar.h"
#include "holiday/HolidayTable.h"

namespace app {

void ImportCalendarCommand(holiday::HolidayTable& table, ReportMemo& memo,
                           const std::string& path) {
    const calendar::IcsCalendar calendar = calendar::IcsCalendar::ReadFile(path);
    const std::string name = calendar::DefaultConfigName(calendar, path);
    const calendar::YearSpan years =
        calendar::ConsideredYears({&calendar, 1}, calendar::CurrentYear());
    calendar::CalendarImport import(calendar.Holidays(years), years);
    import.MergeInto(table, name, "#");

    memo.Clear();
    const ReportMemo::AppendScope scope(memo);
    for (const std::string& line : import.Summary(name, calendar.Skipped())) {
        memo.AppendReportLine(line);
    }
}

} // namespace app
