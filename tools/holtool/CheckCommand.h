#pragma once

#include "tools/holtool/YearRange.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace holiday {
class HolidayTable;
}

namespace holtool {

// One faulty cell of a rule: its position as the grid counts it (from 0), the message of the
// first year it fails in, and every year it fails in, ascending.
struct CellFault {
    std::int32_t Row = 0;
    std::int32_t Col = 0;
    std::string Message;
    std::vector<std::int32_t> Years;
};

// Every faulty cell of the table's rules over years, ordered by row and column. The start date
// (column 1) is judged with no weekday move and no offset, the weekday move (column 2) with no
// offset, and the offset (column 3) on its own and then with the whole rule; a row whose start
// date fails can still show a faulty offset. Rows with an empty start date are no rules.
[[nodiscard]] std::vector<CellFault> FindRuleFaults(const holiday::HolidayTable& table,
                                                    YearRange years);

// "" when years holds every year of range, else " (years 2005-2007, 2009)".
[[nodiscard]] std::string DescribeYears(const std::vector<std::int32_t>& years, YearRange range);

// Opens each file as the editor does and writes one line "FILE:ROW:COLUMN: message" per faulty
// cell to out. A file that cannot be opened or read gets one line "holtool: message" on err, and
// the other files are still checked. ExitTrouble when a file could not be read, else ExitFaults
// when any cell is faulty, else ExitOk.
[[nodiscard]] int RunCheck(const std::vector<std::string>& files, YearRange years,
                           std::ostream& out, std::ostream& err);

} // namespace holtool
