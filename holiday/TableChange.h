#pragma once

#include "holiday/GridCoord.h"
#include "holiday/LargeMemory.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace holiday {

class CellStore;
class HolidayTable;

// Where the user was in the table: the current cell, the anchor of the selection and the
// first scrolling cell that the view showed.
struct TablePlace {
    GridCoord Current;
    GridCoord Anchor;
    GridCoord TopLeft;

    friend bool operator==(const TablePlace&, const TablePlace&) = default;
};

// One undoable change of a HolidayTable: the table's own changes that made it, in their order,
// each with what it replaced, so that the change can be taken back and made again exactly.
//
// It stores what changed, never a copy of the table: a text set keeps the cell's former and its
// new text, a change of a count or a fixed count its two values, and a deleted row (which moves
// every row below it up) the texts of that one row. Hidden texts need nothing: no count change
// touches them. The records lie in one byte log (lengths and positions as variable-length
// integers); a row's cells written in ascending columns form one record.
//
// A cell written again right after itself (typing into one cell) keeps one record: its text
// from before the first write, and its newest text, which is read from the table only when the
// change is sealed (Seal), so a keystroke into a huge cell copies nothing.
//
// While a change is recorded (HolidayTable::SetRecording), the table calls the recording
// functions below before it applies each change of its own. Texts, counts and fixed counts are
// recorded; widths, heights, the current cell and the scroll position are not.
class TableChange {
public:
    explicit TableChange(const TablePlace& before, std::uint64_t mergeKey = 0) noexcept
        : mBefore(before), mAfter(before), mMergeKey(mergeKey) {}

    // --- Recording (called by the table, before the change) ---
    // SetCell: (col, row) becomes a text that is read at Seal (or when another change is
    // recorded), written again any number of times in between at no cost.
    void CellSetting(const CellStore& cells, std::int32_t col, std::int32_t row);
    // A write of many cells at once (a row, a copied row, a cleared range): (col, row) becomes
    // now. Text equal to the cell's is not recorded.
    void CellWriting(const CellStore& cells, std::int32_t col, std::int32_t row,
                     std::string_view now);
    // DeleteTableRow(row) moves rows row + 1 .. rowCount - 1 up over columns 0 .. colCount - 1;
    // called only when it moves any.
    void RowDeleting(const CellStore& cells, std::int32_t row, std::int32_t colCount,
                     std::int32_t rowCount);
    enum class Count : char { Cols = 2, Rows, FixedCols, FixedRows };
    void CountChanging(const CellStore& cells, Count which, std::int32_t old, std::int32_t now);

    // Reads the pending cell's new text from the table; the table must still hold the state
    // right after this change. Needed before Undo and before another change follows it.
    void Seal(const CellStore& cells);

    // --- Replay ---
    // Takes the change back, the table being in the state right after it (sealed), by the
    // table's own operations in reverse order; the table must not record meanwhile.
    void Undo(HolidayTable& table) const;
    // Makes the change again, the table being in the state right before it.
    void Redo(HolidayTable& table) const;

    [[nodiscard]] bool Empty() const noexcept { return mStarts.empty(); }
    // The memory held (the log's and the record index's room).
    [[nodiscard]] std::size_t Bytes() const noexcept {
        return sizeof(*this) + mLog.capacity() + mStarts.capacity() * sizeof(std::size_t);
    }
    // Gives back spare room of the log once the change is complete.
    void Trim();

    [[nodiscard]] const TablePlace& Before() const noexcept { return mBefore; }
    [[nodiscard]] const TablePlace& After() const noexcept { return mAfter; }
    void SetAfter(const TablePlace& after) noexcept { mAfter = after; }
    // Changes made with the same non-zero key one after the other form one change (one cell's
    // edit); 0 joins nothing.
    [[nodiscard]] std::uint64_t MergeKey() const noexcept { return mMergeKey; }

private:
    using Log = std::basic_string<char, std::char_traits<char>, detail::LargeAllocator<char>>;
    enum class Tag : char { Cells = 1, RowDeleted = 6 };

    // Starts a record; ends any run of cells.
    void BeginRecord(char tag);
    // Appends (col, row) with its old text to the cells record of row (a new one unless the last
    // record is that row's and col lies right of its last cell); where the entry and its old
    // text begin, and the run's column before it.
    struct Entry {
        std::size_t Begin;
        std::size_t Old;
        std::int32_t PrevCol;
    };
    Entry AppendCell(std::int32_t col, std::int32_t row, std::string_view old);
    void PutNumber(std::uint64_t value);
    void PutText(std::string_view text);

    TablePlace mBefore;
    TablePlace mAfter;
    std::uint64_t mMergeKey = 0;
    Log mLog;
    std::vector<std::size_t> mStarts; // where each record begins in mLog
    // The last record is a run of cells of mRunRow, the last of them at mRunCol.
    bool mRunOpen = false;
    std::int32_t mRunRow = 0;
    std::int32_t mRunCol = -1;
    // The last cell of the run waits for its new text (CellSetting).
    bool mPending = false;
    std::size_t mRunEntries = 0;       // where the run's first cell begins in mLog
    std::size_t mPendingEntry = 0;     // where its entry begins in mLog
    std::size_t mPendingOld = 0;       // where its old text begins in mLog
    std::int32_t mPendingPrevCol = -1; // the run's last column before it
};

} // namespace holiday
