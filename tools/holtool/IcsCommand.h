#pragma once

#include "rules/CalendarDate.h"
#include "tools/holtool/YearRange.h"

#include <cstdint>
#include <ctime>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace holiday {
class HolidayTable;
}

namespace holtool {

struct IcsOptions {
    std::string File;
    std::string Config;                 // the header text of the configuration column
    std::optional<YearRange> Years;     // default: the current year and the next
    std::optional<std::string> Marks;   // default: any non-empty mark
    std::optional<std::string> Output;  // default: standard output
    std::optional<std::int32_t> Column; // the configuration column by index, when named twice
};

// One all-day event: the rule's title and mark, its date in one year, and its UID.
struct HolidayEvent {
    std::string Title;
    std::string Mark;
    rules::CalendarDate Date;
    std::string Uid;
};

// The column (5 and up) whose header text is config. Throws ToolError, listing the names of
// all configuration columns, when there is none.
[[nodiscard]] std::int32_t FindConfigColumn(const holiday::HolidayTable& table,
                                            const std::string& config,
                                            std::optional<std::int32_t> column = std::nullopt);

// Whether mark selects its rule: any non-empty mark without marks, else a mark that is one
// of the characters of marks.
[[nodiscard]] bool MarkSelected(const std::string& mark, const std::optional<std::string>& marks);

// The UID of an event: the date (yyyymmdd) and a hash of the file's name (without its
// folder), the configuration and the title, "@mirevo-holidays". The same rule of the same
// file gives the same UID on every run, so a calendar that imports the file again updates
// its events.
[[nodiscard]] std::string EventUid(const std::string& fileName, const std::string& config,
                                   const std::string& title, rules::CalendarDate date);

// The events of the configuration column col over years, year by year in row order. Every
// rule of the table is evaluated, as the test report does, so a faulty rule anywhere throws
// holiday::EConvertError whatever the marks; a rule whose title and date repeat an earlier
// event's gives no second event.
[[nodiscard]] std::vector<HolidayEvent> CollectEvents(const holiday::HolidayTable& table,
                                                      const std::string& fileName, std::int32_t col,
                                                      YearRange years,
                                                      const std::optional<std::string>& marks);

// The iCalendar text (RFC 5545) of the events: a VCALENDAR with VERSION and PRODID and one
// VEVENT per event (UID, DTSTAMP at stamp, all-day DTSTART and DTEND on the next day,
// SUMMARY, CATEGORIES), folded and escaped by libical.
[[nodiscard]] std::string CalendarText(const std::vector<HolidayEvent>& events, std::time_t stamp);

// The ics command: opens the file as the editor does and writes the calendar of one
// configuration to options.Output with the safe save, or to out. A faulty rule prints its
// message (with the error display's full stop) to err as PrintError does, writes no calendar
// and gives ExitFaults. A calendar without events is written with a warning on err. Throws
// ToolError for an unknown configuration, holiday::EFOpenError and holiday::EFCreateError for
// files that cannot be read or written.
[[nodiscard]] int RunIcs(const IcsOptions& options, std::ostream& out, std::ostream& err);

} // namespace holtool
