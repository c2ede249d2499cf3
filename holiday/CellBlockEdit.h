#pragma once

#include "holiday/CellRange.h"

#include <cstdint>
#include <string_view>

namespace holiday {

class HolidayTable;
class TabSeparatedText;

// Edits of a block of cells, each told to the table's observers once. The block's extent is
// taken as given (the callers pass blocks of ordinary cells); texts outside it stay.

// Empties every cell of block; costs the texts it holds, not its extent.
void EmptyBlock(HolidayTable& table, const CellRange& block);

// Writes text into every cell of block. Throws EInvalidGridOperation "Gitter zu groß für
// Operation" with the table unchanged for a block of more than MaxFilledCells cells.
void FillBlock(HolidayTable& table, const CellRange& block, std::string_view text);
inline constexpr std::int64_t MaxFilledCells = std::int64_t{1} << 24;

// Writes the cells of text from origin on, right and down, growing ColCount and RowCount
// through the table's count setters where they do not reach; a row shorter than the longest
// empties the rest of its width. Gives the block written (empty for an empty text). Throws
// EInvalidGridOperation "Gitter zu groß für Operation" with the table unchanged when the table
// cannot grow that far or the block has more than MaxTextCells cells.
CellRange PasteBlock(HolidayTable& table, GridCoord origin, const TabSeparatedText& text);

} // namespace holiday
