#pragma once

#include "holiday/CellRange.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace holiday {

class HolidayTable;

// Blocks of cells as the text that spreadsheets exchange through the clipboard: one line per
// row, ended by "\n", the cells of a row separated by tabs. A cell holding a tab, a line break
// or a quote is written between quotes, its quotes doubled ("a<TAB>b", "say ""hi""").
//
// Reading takes what spreadsheets write: lines ended by "\n", "\r\n" or "\r" (a line break at
// the end ends the last row), quoted cells as above, and quotes that do not enclose a whole
// cell as ordinary characters (a cell "say "hi"" written without quotes, as some programs do).
// U+0000 and U+0001, the holiday file's separators, are dropped from the text, as the cell
// editor drops them.
class TabSeparatedText {
public:
    explicit TabSeparatedText(std::string_view text);

    // The rows read; 0 for the empty text.
    [[nodiscard]] std::int32_t RowCount() const noexcept {
        return static_cast<std::int32_t>(mRowStarts.size());
    }
    // The cells of the longest row.
    [[nodiscard]] std::int32_t ColCount() const noexcept { return mColCount; }
    // The text of a cell; empty beyond the end of its row.
    [[nodiscard]] std::string_view Cell(std::int32_t col, std::int32_t row) const noexcept;
    // One cell only (a line without tabs): it fills a selected block.
    [[nodiscard]] bool IsSingleCell() const noexcept { return mCells.size() == 1; }

private:
    struct Span {
        std::size_t Offset;
        std::size_t Size;
    };
    std::string mTexts;                  // every cell's text, one after the other
    std::vector<Span> mCells;            // row by row
    std::vector<std::size_t> mRowStarts; // each row's first entry in mCells
    std::int32_t mColCount = 0;
};

// The texts of block (its extent as given, hidden texts included) as tab-separated lines.
// Throws EInvalidGridOperation "Gitter zu groß für Operation" for a block of more than
// MaxTextCells cells, whose text would be as many bytes at least.
[[nodiscard]] std::string FormatTabSeparated(const HolidayTable& table, const CellRange& block);
// The same block as an HTML table (a whole document, UTF-8), for programs that take rich text:
// each text escaped, a line break as <br>, spaces kept.
[[nodiscard]] std::string FormatHtmlTable(const HolidayTable& table, const CellRange& block);

inline constexpr std::int64_t MaxTextCells = std::int64_t{1} << 26;

} // namespace holiday
