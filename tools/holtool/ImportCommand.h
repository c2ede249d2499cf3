#pragma once

#include "tools/holtool/YearRange.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace holtool {

struct ImportOptions {
    std::vector<std::string> Calendars; // .ics files, read together
    std::string Output;
    std::optional<std::string> Config; // default: the calendar's name, else the file's stem
    std::string Mark = "#";
    std::optional<YearRange> Years;  // default: the years the calendars speak of
    std::optional<std::string> Into; // merge into this .hol file instead of a new one
};

// The import command: turns the holidays of the calendars into rules (calendar::CalendarImport),
// merges them into a new table or into the file options.Into, saves it to options.Output with
// the safe save and prints the summary on out. Gives ExitOk when every title has its rule,
// ExitFaults when some has none. Throws ToolError for bad options, holiday::EFOpenError for a
// calendar or file that cannot be read, holiday::EFCreateError when Output cannot be written
// (the old file stays as it was).
[[nodiscard]] int RunImport(const ImportOptions& options, std::ostream& out, std::ostream& err);

} // namespace holtool
