#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

namespace holiday {
class HolidayTable;
}

namespace holtool {

// Fills table, reset as the open command resets it, from rows: a JSON array of rows, each an
// array of strings. ColCount is the longest row's length, RowCount the number of rows (both at
// least 1); shorter rows are padded with empty cells. Throws ToolError, naming the row and
// column (from 0), for anything but arrays of strings and for texts holding U+0000 or U+0001,
// which the file format cannot store.
void TableFromJson(const nlohmann::json& rows, holiday::HolidayTable& table);

// Reads the JSON file ("-" reads standard input) and saves it as the .hol file holFile with
// the editor's safe save, or writes its bytes to standard output when holFile is "-". Returns
// ExitOk. Throws ToolError for unreadable or invalid JSON and for a holFile that is no regular
// file (CheckOutputTarget), holiday::EFCreateError when holFile cannot be written (an existing
// file stays intact).
[[nodiscard]] int RunWrite(const std::string& jsonFile, const std::string& holFile);

} // namespace holtool
