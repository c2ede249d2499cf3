#pragma once

#include "holiday/HolidayTable.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace holiday {

// The reading side of the .hol format, fed block by block. Each 0x00 ends a cell, each 0x01
// ends a cell and its row; the table grows as the cells demand, and each cell is stored as soon
// as its delimiter arrives. A cell that is not well-formed UTF-8 is stored as the empty text.
// Finish removes the row that the last 0x01 opened and drops the bytes that no delimiter ended.
//
// The counts, texts and errors are those of growing the table one cell at a time; a row that
// lies whole within one block is stored at once, and the observers are told once, when the
// parser is destroyed.
class HolidayFileParser {
public:
    explicit HolidayFileParser(HolidayTable& table);

    // Handles the bytes in order. Throws what the table throws (EInvalidGridOperation when a
    // count would pass its limit); the cells stored before stay.
    void Feed(const char* data, std::size_t size);
    void Finish();

    // The room the pending bytes start with, and keep after a long cell.
    static constexpr std::size_t PendingRoom = 4096;

private:
    // Stores the row [begin, rowEnd) whose 0x00 bytes are in mCellEnds; false (nothing done)
    // when the row needs the cell-by-cell path.
    bool StoreWholeRow(const char* begin, const char* rowEnd, bool ascii);
    // Handles the bytes from p up to and including the next delimiter (or to end); returns
    // where it stopped.
    const char* FeedCell(const char* p, const char* end);
    void EndCell(std::string_view bytes, bool endsRow);
    // Brings the counts up to what the rows stored at once demand.
    void GrowCounts();

    HolidayTable& mTable;
    HolidayTable::NotificationBatch mBatch;
    std::int64_t mCell = 0;               // cells finished in the current row
    std::int64_t mRow = 1;                // 1-based number of the row being read
    std::string mPending;                 // bytes of a cell that started in an earlier block
    std::vector<const char*> mCellEnds;   // the 0x00 bytes of the row being scanned
    std::vector<std::string_view> mTexts; // the texts of a whole row
    // The counts that the rows stored at once demand; they reach the table at the end of each
    // block and before any cell is stored by itself.
    std::int32_t mNeededCols = 0;
    std::int32_t mNeededRows = 0;
};

} // namespace holiday
