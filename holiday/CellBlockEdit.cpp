#include "holiday/CellBlockEdit.h"

#include "holiday/Exception.h"
#include "holiday/HolidayTable.h"
#include "holiday/TabSeparatedText.h"

#include <algorithm>
#include <vector>

namespace holiday {

void EmptyBlock(HolidayTable& table, const CellRange& block) {
    if (block.IsEmpty()) {
        return;
    }
    const HolidayTable::NotificationBatch batch(table);
    const std::int64_t rowEnd =
        std::min<std::int64_t>(block.BottomRight.Row, table.Cells().RowEnd() - 1);
    std::vector<std::int32_t> cols;
    for (std::int64_t r = block.TopLeft.Row; r <= rowEnd; ++r) {
        const auto row = static_cast<std::int32_t>(r);
        // The columns first: each write changes the row being walked.
        cols.clear();
        std::int32_t col = 0;
        std::string_view text;
        for (auto entries = table.Cells().Entries(row);
             entries.Next(col, text) && col <= block.BottomRight.Col;) {
            if (col >= block.TopLeft.Col) {
                cols.push_back(col);
            }
        }
        for (const std::int32_t c : cols) {
            table.SetCell(c, row, {});
        }
    }
}

void FillBlock(HolidayTable& table, const CellRange& block, std::string_view text) {
    if (block.CellCount() > MaxFilledCells) {
        throw EInvalidGridOperation(HolidayTable::TooLargeMessage);
    }
    if (block.IsEmpty()) {
        return;
    }
    const HolidayTable::NotificationBatch batch(table);
    for (std::int32_t row = block.TopLeft.Row; row <= block.BottomRight.Row; ++row) {
        for (std::int32_t col = block.TopLeft.Col; col <= block.BottomRight.Col; ++col) {
            table.SetCell(col, row, text);
        }
    }
}

CellRange PasteBlock(HolidayTable& table, GridCoord origin, const TabSeparatedText& text) {
    const std::int64_t lastCol = std::int64_t{origin.Col} + text.ColCount() - 1;
    const std::int64_t lastRow = std::int64_t{origin.Row} + text.RowCount() - 1;
    if (text.RowCount() == 0 || text.ColCount() == 0) {
        return {origin, {origin.Col - 1, origin.Row - 1}};
    }
    if (lastCol >= HolidayTable::MaxCount || lastRow >= INT32_MAX) {
        throw EInvalidGridOperation(HolidayTable::TooLargeMessage);
    }
    const CellRange block{origin,
                          {static_cast<std::int32_t>(lastCol), static_cast<std::int32_t>(lastRow)}};
    if (block.CellCount() > MaxTextCells) {
        throw EInvalidGridOperation(HolidayTable::TooLargeMessage);
    }
    const HolidayTable::NotificationBatch batch(table);
    // The counts first: a table that cannot grow is left as it was.
    const std::int32_t oldCols = table.ColCount();
    table.SetColCount(std::max(table.ColCount(), block.BottomRight.Col + 1));
    try {
        table.SetRowCount(std::max(table.RowCount(), block.BottomRight.Row + 1));
    } catch (...) {
        table.SetColCount(oldCols);
        throw;
    }
    for (std::int32_t r = 0; r < text.RowCount(); ++r) {
        for (std::int32_t c = 0; c < text.ColCount(); ++c) {
            table.SetCell(origin.Col + c, origin.Row + r, text.Cell(c, r));
        }
    }
    return block;
}

} // namespace holiday
