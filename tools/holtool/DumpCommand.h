#pragma once

#include <iosfwd>
#include <optional>
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

// Converts every cell text of the table from encoding (a name iconv knows, such as
// windows-1252) to UTF-8. Throws ToolError for an unknown encoding, and for a cell that is not
// text in that encoding, naming its row and column.
void DecodeCells(holiday::HolidayTable& table, const std::string& encoding);

// Opens the file ("-": standard input) as the editor does and writes FormatTableJson of it to
// out; with an encoding, the cells are read as bytes and decoded from it (DecodeCells), so that
// a file written in a legacy encoding keeps its texts. What the table could not take is named
// on err. Returns ExitOk. Throws holiday::EFOpenError when the file cannot be opened or read,
// and ToolError as DecodeCells.
[[nodiscard]] int RunDump(const std::string& file, std::ostream& out, std::ostream& err,
                          const std::optional<std::string>& encoding = std::nullopt);

} // namespace holtool
