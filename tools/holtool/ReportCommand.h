#pragma once

#include "rules/LocaleDateSettings.h"
#include "tools/holtool/YearRange.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace holtool {

struct ReportOptions {
    std::string File;
    YearRange Years;
    // A pattern in the short date pattern language that replaces the locale's.
    std::optional<std::string> DateFormat;
};

// The separator a pattern given on the command line stands for: its first character, outside
// quoted text, that is not an ASCII letter; "/" when it has none. So "/" in such a pattern
// writes "/" and the report does not depend on the user's locale.
[[nodiscard]] std::string DateSeparatorOfPattern(std::string_view pattern);

// The user's locale date settings, with ShortDateFormat and DateSeparator taken from pattern
// when one is given. Weekday and month names stay the locale's.
[[nodiscard]] rules::LocaleDateSettings
ReportDateSettings(const std::optional<std::string>& pattern);

// Opens the file as the editor does and writes the lines of its test report to out, one per
// line. A faulty rule ends the report: the lines before it are on out, the message (with the
// error display's full stop) goes to err as PrintError prints it, and the result is
// ExitFaults; otherwise ExitOk.
// A span of years where the Easter formula is not exact adds a warning line on err first.
// Throws holiday::EFOpenError when the file cannot be opened or read.
[[nodiscard]] int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& err);

} // namespace holtool
