#include "tools/holtool/InputFile.h"

#include "holiday/HolidayFile.h"
#include "holiday/HolidayFileReader.h"
#include "tools/holtool/ShownName.h"

#include <ostream>

namespace holtool {

holiday::ReadLosses ReadInputFile(holiday::HolidayTable& table, const std::string& file,
                                  holiday::TextEncoding encoding) {
    holiday::HolidayFileReader reader = file == StandardInputArgument
                                            ? holiday::HolidayFileReader::StandardInput()
                                            : holiday::HolidayFileReader(file);
    return holiday::OpenHolidayFile(table, reader, encoding);
}

std::string LossLine(const holiday::ReadLosses& losses) {
    std::string line;
    for (const std::string& sentence : holiday::LossSentences(losses)) {
        line += (line.empty() ? "" : " ") + sentence;
    }
    return line;
}

void WarnOfLosses(std::ostream& err, const std::string& file, const holiday::ReadLosses& losses) {
    if (!losses.Empty()) {
        err << "holtool: " << ShownName(file) << ": " << LossLine(losses) << '\n';
    }
}

} // namespace holtool
