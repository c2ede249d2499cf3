#include "tools/holtool/WriteCommand.h"

#include "holiday/HolidayFile.h"
#include "holiday/HolidayFileFormat.h"
#include "holiday/HolidayTable.h"
#include "tools/holtool/OutputTarget.h"
#include "tools/holtool/ToolError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

namespace holtool {
namespace {

std::string Where(std::size_t row) {
    return "row " + std::to_string(row);
}

std::string Where(std::size_t row, std::size_t col) {
    return Where(row) + ", column " + std::to_string(col);
}

std::int32_t CheckedCount(std::size_t count, const char* what) {
    if (count > static_cast<std::size_t>(holiday::HolidayTable::MaxCount)) {
        throw ToolError(std::string("too many ") + what + " for a table: " + std::to_string(count));
    }
    return static_cast<std::int32_t>(count);
}

nlohmann::json ParseJson(std::istream& in, const std::string& name) {
    try {
        return nlohmann::json::parse(in);
    } catch (const nlohmann::json::parse_error& error) {
        throw ToolError(name + ": invalid JSON: " + error.what());
    }
}

nlohmann::json ReadJson(const std::string& jsonFile) {
    if (jsonFile == "-") {
        return ParseJson(std::cin, "standard input");
    }
    if (std::filesystem::is_directory(jsonFile)) {
        throw ToolError(jsonFile + ": is a directory");
    }
    std::ifstream in(jsonFile, std::ios::binary);
    if (!in) {
        throw ToolError(jsonFile + ": cannot be opened: " + std::strerror(errno));
    }
    return ParseJson(in, jsonFile);
}

} // namespace

void TableFromJson(const nlohmann::json& rows, holiday::HolidayTable& table) {
    if (!rows.is_array()) {
        throw ToolError(std::string("expected an array of rows, found ") + rows.type_name());
    }
    std::size_t colCount = 1;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const nlohmann::json& row = rows[r];
        if (!row.is_array()) {
            throw ToolError(Where(r) + ": expected an array of strings, found " + row.type_name());
        }
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (!row[c].is_string()) {
                throw ToolError(Where(r, c) + ": expected a string, found " + row[c].type_name());
            }
            const auto& text = row[c].get_ref<const std::string&>();
            if (text.find_first_of(std::string_view("\0\1", 2)) != std::string::npos) {
                throw ToolError(
                    Where(r, c) +
                    ": the text holds U+0000 or U+0001, which a .hol file cannot store");
            }
        }
        colCount = std::max(colCount, row.size());
    }

    table.ResetForOpen();
    table.SetColCount(CheckedCount(colCount, "columns"));
    table.SetRowCount(CheckedCount(std::max<std::size_t>(rows.size(), 1), "rows"));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            table.SetCell(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r),
                          rows[r][c].get_ref<const std::string&>());
        }
    }
}

int RunWrite(const std::string& jsonFile, const std::string& holFile) {
    const nlohmann::json rows = ReadJson(jsonFile);
    holiday::HolidayTable table;
    try {
        TableFromJson(rows, table);
    } catch (const ToolError& error) {
        throw ToolError((jsonFile == "-" ? std::string("standard input") : jsonFile) + ": " +
                        error.what());
    }
    if (IsStandardOutput(holFile)) {
        holiday::SaveToStream(table, std::cout);
        return ExitOk;
    }
    CheckOutputTarget(holFile, "HOL", "- as HOL");
    holiday::SaveToFile(table, holFile);
    return ExitOk;
}

} // namespace holtool
