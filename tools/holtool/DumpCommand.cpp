#include "tools/holtool/DumpCommand.h"

#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "tools/holtool/InputFile.h"
#include "tools/holtool/ToolError.h"

#include <cerrno>
#include <iconv.h>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

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

namespace {

// A conversion descriptor of iconv, closed when it goes.
class Converter {
public:
    explicit Converter(const std::string& from) : mCd(::iconv_open("UTF-8", from.c_str())) {
        if (mCd == reinterpret_cast<iconv_t>(-1)) {
            throw ToolError("--encoding: unknown encoding '" + from +
                            "' (iconv --list names the known ones)");
        }
    }
    ~Converter() { ::iconv_close(mCd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The bytes as UTF-8; nullopt when they are no text in the encoding.
    [[nodiscard]] std::optional<std::string> ToUtf8(std::string_view bytes) {
        ::iconv(mCd, nullptr, nullptr, nullptr, nullptr); // a fresh start for every cell
        std::string result(bytes.size() * 4 + 16, '\0');
        char* in = const_cast<char*>(bytes.data()); // iconv's interface; it does not write there
        std::size_t inLeft = bytes.size();
        char* outPos = result.data();
        std::size_t outLeft = result.size();
        while (inLeft > 0) {
            if (::iconv(mCd, &in, &inLeft, &outPos, &outLeft) != static_cast<std::size_t>(-1)) {
                continue;
            }
            if (errno != E2BIG) {
                return std::nullopt;
            }
            const auto used = static_cast<std::size_t>(outPos - result.data());
            result.resize(result.size() * 2);
            outPos = result.data() + used;
            outLeft = result.size() - used;
        }
        if (::iconv(mCd, nullptr, nullptr, &outPos, &outLeft) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        result.resize(static_cast<std::size_t>(outPos - result.data()));
        return result;
    }

private:
    iconv_t mCd;
};

} // namespace

void DecodeCells(holiday::HolidayTable& table, const std::string& encoding) {
    Converter converter(encoding);
    for (std::int32_t row = 0; row < table.RowCount(); ++row) {
        for (std::int32_t col = 0; col < table.ColCount(); ++col) {
            const std::string bytes = table.GetCell(col, row);
            std::optional<std::string> text = converter.ToUtf8(bytes);
            if (!text || text->find_first_of(std::string_view("\0\1", 2)) != std::string::npos) {
                throw ToolError("row " + std::to_string(row) + ", column " + std::to_string(col) +
                                ": the cell is no " + encoding + " text");
            }
            if (*text != bytes) {
                table.SetCell(col, row, *text);
            }
        }
    }
}

int RunDump(const std::string& file, std::ostream& out, std::ostream& err,
            const std::optional<std::string>& encoding) {
    holiday::HolidayTable table;
    const holiday::ReadLosses losses = ReadInputFile(
        table, file, encoding ? holiday::TextEncoding::Unchecked : holiday::TextEncoding::Utf8);
    if (encoding) {
        try {
            DecodeCells(table, *encoding);
        } catch (const ToolError& error) {
            throw ToolError(file + ": " + error.what());
        }
    }
    WarnOfLosses(err, file, losses);
    out << FormatTableJson(table);
    return ExitOk;
}

} // namespace holtool
