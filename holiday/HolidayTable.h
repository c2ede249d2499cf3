#pragma once

#include "holiday/AxisSizes.h"
#include "holiday/CellRange.h"
#include "holiday/CellStore.h"
#include "holiday/GridCoord.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace holiday {

class HolidayTableObserver;
class TableChange;

// The rectangular table of text cells of one holiday-definition document, with its counts,
// fixed counts, current cell and the widths and heights that follow the counts.
//
// Cell texts live in a CellStore that does not depend on the counts: shrinking the table hides
// texts, growing it shows them again. Texts are UTF-8.
//
// Invariants kept by every operation: 1 <= ColCount, 1 <= RowCount, 0 <= FixedCols < ColCount,
// 0 <= FixedRows < RowCount, FixedCols <= CurrentCell.Col < ColCount, FixedRows <=
// CurrentCell.Row < RowCount.
class HolidayTable {
public:
    static constexpr std::int32_t DefaultColWidth = 64;
    static constexpr std::int32_t DefaultRowHeight = 17;
    // Larger counts fail with "Gitter zu groß für Operation" (rows only once any row height
    // was changed).
    static constexpr std::int32_t MaxCount = 134'217'725;
    // The message of a table or a block too large for an operation.
    static constexpr const char* TooLargeMessage = "Gitter zu groß für Operation";

    // The state the window starts with: 6 columns, 5 rows, FixedRows 1, FixedCols 0,
    // CurrentCell, anchor and top-left (0, 1), no texts, every width 64, every height 17.
    HolidayTable();

    HolidayTable(const HolidayTable&) = delete;
    HolidayTable& operator=(const HolidayTable&) = delete;

    // Observers are not owned; an observer removes itself before it is destroyed.
    void AddObserver(HolidayTableObserver* observer);
    void RemoveObserver(HolidayTableObserver* observer);

    // While one exists, the observers hear nothing; when the last one ends (also by an
    // exception) they are told once what changed in the meantime: the fixed counts, the
    // extent, every cell of the extent, the current cell and anchor, the top-left cell and the
    // first width and height that changed. For loads and other changes of many cells at once.
    class NotificationBatch {
    public:
        explicit NotificationBatch(HolidayTable& table);
        ~NotificationBatch();
        NotificationBatch(const NotificationBatch&) = delete;
        NotificationBatch& operator=(const NotificationBatch&) = delete;

    private:
        HolidayTable& mTable;
    };

    // --- Cells (positions are not checked against the counts; negative ones are invalid) ---
    [[nodiscard]] std::string GetCell(std::int32_t col, std::int32_t row) const;
    // Stores the text; the empty text removes the entry. Tells the observers. Throws
    // EInvalidGridOperation "Gitterindex außerhalb des zulässigen Bereichs" for a negative
    // position (GetCell reads it as empty).
    void SetCell(std::int32_t col, std::int32_t row, std::string_view text);

    // Stores texts[k] at column k of row for every k, as SetCell on each would, with one
    // notification for the row. Throws EInvalidGridOperation "Gitterindex außerhalb des
    // zulässigen Bereichs" for a negative row.
    void SetRowCells(std::int32_t row, std::span<const std::string_view> texts);

    // For the reader: a block of size bytes that the table keeps until its texts are emptied
    // (ClearCellStore, ResetForOpen), to read a file into; DropRowBlock gives back one that no
    // row uses. AdoptRow stores a row of the block as CellStore::AdoptRow does, into a row that
    // holds no text, with one notification for the row.
    [[nodiscard]] char* NewRowBlock(std::size_t size) { return mCells.NewBlock(size); }
    void DropRowBlock(const char* block) noexcept { mCells.DropBlock(block); }
    void AdoptRow(std::int32_t row, const char* bytes, std::size_t size, std::int32_t lastCol) {
        if (mRecording != nullptr) {
            RecordAdopting(row, std::string_view(bytes, size));
        }
        mCells.AdoptRow(row, bytes, size, lastCol);
        if (!mObservers.empty()) {
            NotifyRowChanged(row, lastCol);
        }
    }

    // --- Counts ---
    [[nodiscard]] std::int32_t ColCount() const noexcept { return mColCount; }
    [[nodiscard]] std::int32_t RowCount() const noexcept { return mRowCount; }
    [[nodiscard]] std::int32_t FixedCols() const noexcept { return mFixedCols; }
    [[nodiscard]] std::int32_t FixedRows() const noexcept { return mFixedRows; }
    // Throw EInvalidGridOperation "Gitter zu groß für Operation" above MaxCount, leaving
    // everything as it was; otherwise clamp to 1, lower the fixed count and run the resize
    // steps.
    void SetColCount(std::int32_t n);
    void SetRowCount(std::int32_t n);
    // Throw EInvalidGridOperation with the table unchanged when n is negative or not less than
    // the count.
    void SetFixedCols(std::int32_t n);
    void SetFixedRows(std::int32_t n);

    // --- Current cell, selection, scrolling ---
    [[nodiscard]] GridCoord CurrentCell() const noexcept { return mCurrent; }
    [[nodiscard]] GridCoord Anchor() const noexcept { return mAnchor; }
    [[nodiscard]] GridCoord TopLeft() const noexcept { return mTopLeft; }
    // Fixed cells (the leading FixedCols columns and FixedRows rows) are never current,
    // selected or edited.
    [[nodiscard]] bool IsFixed(GridCoord cell) const noexcept {
        return cell.Col < mFixedCols || cell.Row < mFixedRows;
    }
    // The cells that scroll: from (FixedCols, FixedRows) to the last cell.
    [[nodiscard]] CellRange ScrollingCells() const noexcept {
        return {{mFixedCols, mFixedRows}, {mColCount - 1, mRowCount - 1}};
    }
    // The current cell, the anchor and the block between them (within the scrolling cells).
    [[nodiscard]] CellSelection Selection() const noexcept {
        return {mCurrent, mAnchor,
                CellRange::Spanning(mCurrent, mAnchor).Intersected(ScrollingCells())};
    }
    // Moves CurrentCell (the anchor follows). The cell is clamped into the non-fixed extent.
    void SetCurrentCell(GridCoord cell);
    // Sets the far corner of the selected block (clamped into the non-fixed extent).
    void SetAnchor(GridCoord cell);
    // Records the first scrolling column and row that the view shows (clamped likewise). The
    // view calls it, so the observers are not told.
    void SetTopLeft(GridCoord cell);

    // --- Whole-table operations ---
    // Empties every cell inside the extent; entries outside it stay.
    void Clear();
    // Empties the whole CellStore, hidden texts included.
    void ClearCellStore();
    // The reset of the open command: empties the whole CellStore, then ColCount 0 and
    // RowCount 0, which leaves 1 x 1, no fixed rows or columns, CurrentCell (0, 0).
    void ResetForOpen();
    // A table of its own, without observers, in the state that ResetForOpen would leave this
    // one in: no texts, 1 x 1, nothing fixed, CurrentCell (0, 0), the width of column 0, the
    // height of row 0 and the row count limit kept. An open reads into it and this table takes
    // it over at the end (TakeOver), so that a cancelled open leaves this table as it was; until
    // then both tables are held.
    [[nodiscard]] std::unique_ptr<HolidayTable> OpenResetCopy() const;
    // Takes over everything of other but its observers: the texts, the counts, the fixed
    // counts, the current cell, anchor and top-left cell, the widths and heights. other is left
    // without texts. The observers of this table are told once, as at the end of a
    // NotificationBatch, with the current cell to be scrolled into view.
    void TakeOver(HolidayTable& other);
    // Copies columns 0 .. ColCount - 1 of row source into row target; one CellsChanged for the
    // row. Throws EInvalidGridOperation for a negative row.
    void AssignRow(std::int32_t target, std::int32_t source);
    // Moves every row below row up by one (one CellsChanged for the moved block), then
    // RowCount - 1. Throws EInvalidGridOperation for a negative row.
    void DeleteTableRow(std::int32_t row);
    void AddRow();
    void AddColumn();

    // --- View state that follows the counts ---
    [[nodiscard]] const AxisSizes& ColWidths() const noexcept { return mColWidths; }
    [[nodiscard]] const AxisSizes& RowHeights() const noexcept { return mRowHeights; }
    [[nodiscard]] std::int32_t ColWidth(std::int32_t col) const { return mColWidths.Get(col); }
    [[nodiscard]] std::int32_t RowHeight(std::int32_t row) const { return mRowHeights.Get(row); }
    // Set the width of an existing column / the height of an existing row (a negative size
    // counts as 0). Throw EInvalidGridOperation "Gitterindex außerhalb des zulässigen
    // Bereichs" for an index outside the extent.
    void SetColWidth(std::int32_t col, std::int32_t width);
    void SetRowHeight(std::int32_t row, std::int32_t height);

    // The store itself, for readers that walk every text (the writer, the report).
    [[nodiscard]] const CellStore& Cells() const noexcept { return mCells; }

    // --- Recording (TableHistory) ---
    // While a change is set, every change of texts, counts and fixed counts is also written
    // into it, with what it replaces, before it is made; null ends the recording. Not owned.
    void SetRecording(TableChange* change) noexcept { mRecording = change; }
    [[nodiscard]] TableChange* Recording() const noexcept { return mRecording; }
    // How often the whole CellStore was emptied (ResetForOpen, ClearCellStore): a history
    // recorded before no longer fits the table.
    [[nodiscard]] std::uint64_t StoreResets() const noexcept { return mStoreResets; }

private:
    template <typename Call> void Notify(Call&& call);
    void NotifyRowChanged(std::int32_t row, std::int32_t lastCol);
    void ResizeSteps(GridCoord oldExtent);
    void FixedCountsSteps();
    // Tells the observers that CurrentCell moved (which implies the anchor), or else that only
    // the anchor changed.
    void NotifyCurrentAndAnchor(GridCoord oldCurrent, GridCoord oldAnchor, bool scrollIntoView);
    void NotifyWholeExtent();
    [[nodiscard]] GridCoord ClampToScrolling(GridCoord cell) const noexcept;

    std::int32_t mColCount = 6;
    std::int32_t mRowCount = 5;
    std::int32_t mFixedCols = 0;
    std::int32_t mFixedRows = 1;
    GridCoord mCurrent{0, 1};
    GridCoord mAnchor{0, 1};
    GridCoord mTopLeft{0, 1};
    CellStore mCells;
    AxisSizes mColWidths{DefaultColWidth};
    AxisSizes mRowHeights{DefaultRowHeight};
    // Set once any row height was changed; from then on rows obey MaxCount too.
    bool mRowHeightsChanged = false;
    std::vector<HolidayTableObserver*> mObservers;
    TableChange* mRecording = nullptr;
    std::uint64_t mStoreResets = 0;
    // Records the writes of every text of rows 0 .. rowLimit - 1 at columns below colLimit.
    void RecordClearing(std::int32_t colLimit, std::int64_t rowLimit);
    void RecordAdopting(std::int32_t row, std::string_view bytes);

    // The state when the outermost NotificationBatch began, and what changed since.
    struct Batch {
        int Depth = 0;
        bool Told = false; // some notification was held back
        bool ScrollIntoView = false;
        GridCoord Extent, Fixed, Current, Anchor, TopLeft;
        std::int32_t FirstWidth = INT32_MAX;
        std::int32_t FirstHeight = INT32_MAX;
    };
    Batch mBatch;
    void EndBatch();
};

} // namespace holiday
