#pragma once

#include "holiday/HolidayFileFormat.h"
#include "holiday/HolidayTable.h"
#include "holiday/ReadLosses.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace holiday {

// The reading side of the .hol format. Each 0x00 ends a cell, each 0x01 ends a cell and its
// row; the table grows as the cells demand. A cell that is not well-formed UTF-8 is stored as
// the empty text. Finish removes the row that the last 0x01 opened and drops the bytes that no
// delimiter ended.
//
// The bytes are read straight into blocks that the table keeps (Room, then Commit), and a row
// of well-formed UTF-8 goes into the table as those very bytes, without a copy. Rows that
// cannot (ill-formed cells, rows over texts already stored, rows too long for that form) are
// stored cell by cell; a row that grows past a mebibyte before its end is read is stored as its
// cells end, so no Commit has more to store than the bytes it hands over. The counts, texts and
// errors are those of reading one byte at a time and growing the table one cell at a time; the
// observers are told once, when the parser is destroyed.
class HolidayFileParser {
public:
    // expectedSize: the bytes that will come, when known (one block then holds them all).
    // encoding Unchecked stores every cell as its bytes, well-formed UTF-8 or not.
    explicit HolidayFileParser(HolidayTable& table, std::size_t expectedSize = 0,
                               TextEncoding encoding = TextEncoding::Utf8);
    ~HolidayFileParser();
    HolidayFileParser(const HolidayFileParser&) = delete;
    HolidayFileParser& operator=(const HolidayFileParser&) = delete;

    // Room for at least wanted bytes, to be read in and then handed over by Commit.
    [[nodiscard]] char* Room(std::size_t wanted);
    // Handles the next n bytes, which the caller put at Room's place. Throws what the table
    // throws (EInvalidGridOperation when a count would pass its limit); the cells stored
    // before stay.
    void Commit(std::size_t n);
    // For input that ends early: stores the cells of the unfinished last row that a 0x00 ended,
    // as reading byte by byte would have stored them already; the counts stay.
    void StoreUnfinishedCells();
    // The input is complete: the unfinished row's cells, then RowCount - 1.
    void Finish();
    // What the input held that the table does not: the cells that read as empty for not being
    // well-formed UTF-8, and after Finish the bytes that no row end closed.
    [[nodiscard]] const ReadLosses& Losses() const noexcept { return mLosses; }

private:
    // What the scan of the row being read has found so far (offsets from the row's start).
    struct RowScan {
        std::size_t Scanned = 0; // bytes looked at
        std::int64_t Zeros = 0;  // 0x00 bytes among them
    };

    // Scans on from the row's start up to end; true when the row's 0x01 was found (at
    // mScan.Scanned).
    bool ScanRow(const char* row, const char* end) noexcept;
    // Stores the row at row whose scan ended at its 0x01.
    void StoreRow(const char* row);
    // Stores the cells of the long row being read that a 0x00 ended, one at a time; the row
    // being read then starts after them.
    void StoreEndedCells();
    // Stores the cells of [row, end) one at a time, as reading byte by byte does; the last
    // one only when endsRow.
    void StoreCells(const char* row, const char* end, bool endsRow);
    void EndCell(std::string_view bytes, bool endsRow);
    // Whether the row [row, rowEnd) of the block is well-formed UTF-8.
    bool WellFormedRow(const char* row, const char* rowEnd) noexcept;
    // Brings the counts up to what the rows stored at once demand.
    void GrowCounts();
    void DropUnusedBlock() noexcept;

    HolidayTable& mTable;
    HolidayTable::NotificationBatch mBatch;
    std::size_t mExpected;
    bool mCheckUtf8;
    char* mBlock = nullptr; // the block being filled
    std::size_t mBlockSize = 0;
    std::size_t mFilled = 0;    // bytes in the block
    std::size_t mRowStart = 0;  // where the row being read starts in the block
    std::size_t mBlockRows = 0; // rows stored from the block without a copy
    std::size_t mRowStored = 0; // bytes of the row being read stored cell by cell before mRowStart
    bool mUnfinishedStored = false;
    RowScan mScan;
    // The bytes of the block up to here, from the last row checked on, are whole well-formed
    // UTF-8 sequences; what follows is ill-formed when mFaultAtValidTo.
    const char* mValidTo = nullptr;
    bool mFaultAtValidTo = false;
    std::int64_t mCell = 0; // cells of the current row stored cell by cell
    std::int64_t mRow = 1;  // 1-based number of the row being read
    std::vector<std::string_view> mTexts;
    // The counts that the rows stored at once demand; they reach the table at the end of each
    // Commit and before any cell is stored by itself.
    std::int32_t mNeededCols = 0;
    std::int32_t mNeededRows = 0;
    ReadLosses mLosses;
};

} // namespace holiday
