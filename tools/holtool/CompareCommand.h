#pragma once

#include "tools/holtool/YearRange.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace holtool {

struct CompareOptions {
    std::string File;
    std::string Config;
    std::string Calendar;
    std::optional<YearRange> Years;   // default: the years the calendar speaks of
    std::optional<std::string> Marks; // default: any mark
};

// The compare command: the dates the marked rules of one configuration give against the
// holidays of a calendar, year by year. Prints on out each date only one side has ("only in
// the calendar" / "only in the rules", with the titles), then the dates both have under
// other titles, then one line with the outcome. Gives ExitOk when no date is only on one side
// (titles may differ), ExitFaults when some is, or when a rule of the file is faulty (its
// message on err, as the ics command does). Throws ToolError for an unknown configuration,
// holiday::EFOpenError for files that cannot be read.
[[nodiscard]] int RunCompare(const CompareOptions& options, std::ostream& out, std::ostream& err);

} // namespace holtool
