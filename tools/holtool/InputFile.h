#pragma once

#include "holiday/HolidayFileFormat.h"
#include "holiday/HolidayTable.h"
#include "holiday/ReadLosses.h"

#include <iosfwd>
#include <string>

namespace holtool {

// The name "-" stands for standard input, which is read to its end.
inline constexpr const char* StandardInputArgument = "-";

// Opens file (or standard input for "-") and reads it into the table as the editor's open
// does, and returns what the table could not take. Throws holiday::EFOpenError, also for a file
// that is no regular file (a pipe or device named by its path: "-" reads a pipe).
holiday::ReadLosses ReadInputFile(holiday::HolidayTable& table, const std::string& file,
                                  holiday::TextEncoding encoding = holiday::TextEncoding::Utf8);

// The sentences that name what the table could not take, on one line.
[[nodiscard]] std::string LossLine(const holiday::ReadLosses& losses);

// Prints one line on err when losses is not empty: "holtool: FILE: " and the sentences that
// name what the table could not take, so that the user knows what the output leaves out.
void WarnOfLosses(std::ostream& err, const std::string& file, const holiday::ReadLosses& losses);

} // namespace holtool
