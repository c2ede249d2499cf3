#pragma once

#include <exception>
#include <string>

namespace holtool {

// "FILE:ROW:COLUMN: " for the cell a rule error names (rules::ERuleError, thrown by the walk
// over the rule rows), as check names cells; "FILE: " for any other error. FILE is file as
// ShownName shows it.
[[nodiscard]] std::string FaultPlace(const std::exception& error, const std::string& file);

} // namespace holtool
