#pragma once

#include <string>

namespace holiday {
class HolidayTable;
}

namespace app {

class ReportMemo;

// The import of a calendar dropped on the window: the holidays of the .ics file at path, over
// the years it speaks of, become rules merged into the table as holtool import --into does
// (calendar::CalendarImport::MergeInto), marked "#" in the configuration column named after the
// calendar (its X-WR-CALNAME, else the file's name without extension), so a second import of
// the same calendar marks the same column. memo is emptied and shows the summary. Throws
// holiday::EFOpenError when the file cannot be read or is no calendar; the table is then
// untouched.
void ImportCalendarCommand(holiday::HolidayTable& table, ReportMemo& memo, const std::string& path);

} // namespace app
