#pragma once

#include <iosfwd>
#include <string>

namespace holiday {
class HolidayTable;
}

namespace holtool {

// The table as a JSON array of rows, each an array of its ColCount cell texts, one row per
// line so that line-based diffs show changed rows:
//   [
//     ["Title","Start"],
//     ["Easter Monday","Easter"]
//   ]
// Texts are escaped as JSON strings and stay UTF-8. Ends with a line break.
[[nodiscard]] std::string FormatTableJson(const holiday::HolidayTable& table);

// Opens the file as the editor does and writes FormatTableJson of it to out. Returns ExitOk.
// Throws holiday::EFOpenError when the file cannot be opened or read.
[[nodiscard]] int RunDump(const std::string& file, std::ostream& out);

} // namespace holtool
