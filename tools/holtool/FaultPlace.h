#pragma once

#include "tools/holtool/YearRange.h"

#include <string>

namespace holiday {
class HolidayTable;
}

namespace holtool {

// "FILE:ROW:COLUMN: " for the cell whose fault ended a walk over the rules of table in report
// order (year by year over years, row by row), as check names cells: the first rule that fails
// in the first year any rule fails, and of its faulty cells the one whose message is message.
// FILE is file as ShownName shows it; "FILE: " alone when no cell fails.
[[nodiscard]] std::string FaultPlace(const holiday::HolidayTable& table, YearRange years,
                                     const std::string& file, const std::string& message);

} // namespace holtool
