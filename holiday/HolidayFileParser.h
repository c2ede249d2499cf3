#pragma once

#include "holiday/HolidayTable.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace holiday {

// The reading side of the .hol format, fed block by block. Each 0x00 ends a cell, each 0x01
// ends a cell and its row; the table grows one column or row at a time as the cells demand,
// and each cell is stored with SetCell as soon as its delimiter arrives. A cell that is not
// well-formed UTF-8 is stored as the empty text. Finish removes the row that the last 0x01
// opened and drops the bytes that no delimiter ended.
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
    void EndCell(std::string_view bytes, bool endsRow);

    HolidayTable& mTable;
    std::int64_t mCell = 0; // cells finished in the current row
    std::int64_t mRow = 1;  // 1-based number of the row being read
    std::string mPending;   // bytes of a cell that started in an earlier block
};

} // namespace holiday
