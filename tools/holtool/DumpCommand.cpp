#include "tools/holtool/DumpCommand.h"

#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "tools/holtool/ToolError.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace holtool {

std::string FormatTableJson(const holiday::HolidayTable& table) {
    std::string text = "[\n";
    for (std::int32_t row = 0; row < table.RowCount(); ++row) {
        text += "  [";
        for (std::int32_t col = 0; col < table.ColCount(); ++col) {
            if (col != 0) {
                text += ',';
            }
            text += nlohmann::json(table.GetCell(col, row)).dump();
        }
        text += row + 1 < table.RowCount() ? "],\n" : "]\n";
    }
    text += "]\n";
    return text;
}

int RunDump(const std::string& file, std::ostream& out) {
    holiday::HolidayTable table;
    holiday::OpenHolidayFile(table, file);
    out << FormatTableJson(table);
    return ExitOk;
}

} // namespace holtool
