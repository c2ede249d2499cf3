#include "holiday/HolidayTable.h"

#include "holiday/Exception.h"
#include "holiday/HolidayTableObserver.h"
#include "holiday/TableChange.h"

#include <algorithm>

namespace holiday {

namespace {

constexpr const char* IndexOutOfRange = "Gitterindex außerhalb des zulässigen Bereichs";
constexpr const char* FixedColsTooMany =
    "Die Anzahl fester Spalten muss kleiner als die Spaltenanzahl sein";
constexpr const char* FixedRowsTooMany =
    "Die Anzahl fester Zeilen muss kleiner als die Zeilenanzahl sein";
constexpr const char* GridTooLarge = HolidayTable::TooLargeMessage;

} // namespace

HolidayTable::HolidayTable() = default;

void HolidayTable::AddObserver(HolidayTableObserver* observer) {
    if (observer != nullptr &&
        std::find(mObservers.begin(), mObservers.end(), observer) == mObservers.end()) {
        mObservers.push_back(observer);
    }
}

void HolidayTable::RemoveObserver(HolidayTableObserver* observer) {
    std::erase(mObservers, observer);
}

HolidayTable::NotificationBatch::NotificationBatch(HolidayTable& table) : mTable(table) {
    Batch& b = mTable.mBatch;
    if (b.Depth++ == 0) {
        b.Told = false;
        b.ScrollIntoView = false;
        b.Extent = {mTable.mColCount, mTable.mRowCount};
        b.Fixed = {mTable.mFixedCols, mTable.mFixedRows};
        b.Current = mTable.mCurrent;
        b.Anchor = mTable.mAnchor;
        b.TopLeft = mTable.mTopLeft;
        b.FirstWidth = INT32_MAX;
        b.FirstHeight = INT32_MAX;
    }
}

HolidayTable::NotificationBatch::~NotificationBatch() {
    if (--mTable.mBatch.Depth == 0 && mTable.mBatch.Told) {
        try {
            mTable.EndBatch();
        } catch (...) { // a view that cannot take the news now repaints with its next event
        }
    }
}

void HolidayTable::EndBatch() {
    const Batch b = mBatch;
    if (GridCoord{mFixedCols, mFixedRows} != b.Fixed) {
        Notify([](HolidayTableObserver& o) { o.FixedCountsChanged(); });
    }
    if (GridCoord{mColCount, mRowCount} != b.Extent) {
        Notify([&](HolidayTableObserver& o) { o.ExtentChanged(b.Extent); });
    }
    NotifyWholeExtent();
    if (mCurrent != b.Current) {
        Notify([&](HolidayTableObserver& o) { o.CurrentCellMoved(b.Current, b.ScrollIntoView); });
    } else if (mAnchor != b.Anchor) {
        Notify([](HolidayTableObserver& o) { o.AnchorChanged(); });
    }
    if (mTopLeft != b.TopLeft) {
        Notify([](HolidayTableObserver& o) { o.TopLeftChanged(); });
    }
    if (b.FirstWidth < mColCount) {
        Notify([&](HolidayTableObserver& o) { o.ColWidthChanged(b.FirstWidth); });
    }
    if (b.FirstHeight < mRowCount) {
        Notify([&](HolidayTableObserver& o) { o.RowHeightChanged(b.FirstHeight); });
    }
}

template <typename Call> void HolidayTable::Notify(Call&& call) {
    if (mBatch.Depth > 0) {
        mBatch.Told = true;
        return;
    }
    // By index: an observer may remove itself while it is told.
    for (std::size_t i = 0; i < mObservers.size(); ++i) {
        call(*mObservers[i]);
    }
}

std::string HolidayTable::GetCell(std::int32_t col, std::int32_t row) const {
    return mCells.Get(col, row);
}

void HolidayTable::SetCell(std::int32_t col, std::int32_t row, std::string_view text) {
    if (col < 0 || row < 0) {
        throw EInvalidGridOperation(IndexOutOfRange);
    }
    if (mRecording != nullptr) {
        mRecording->CellSetting(mCells, col, row);
    }
    mCells.Set(col, row, text);
    if (!mObservers.empty()) {
        const GridCoord cell{col, row};
        Notify([&](HolidayTableObserver& o) { o.CellsChanged(cell, cell); });
    }
}

void HolidayTable::SetRowCells(std::int32_t row, std::span<const std::string_view> texts) {
    if (row < 0) {
        throw EInvalidGridOperation(IndexOutOfRange);
    }
    if (mRecording != nullptr) {
        for (std::size_t k = 0; k < texts.size() && k <= INT32_MAX; ++k) {
            mRecording->CellWriting(mCells, static_cast<std::int32_t>(k), row, texts[k]);
        }
    }
    mCells.SetRow(row, texts);
    if (!mObservers.empty() && !texts.empty()) {
        const GridCoord first{0, row};
        const GridCoord last{
            static_cast<std::int32_t>(std::min<std::size_t>(texts.size() - 1, INT32_MAX)), row};
        Notify([&](HolidayTableObserver& o) { o.CellsChanged(first, last); });
    }
}

void HolidayTable::NotifyRowChanged(std::int32_t row, std::int32_t lastCol) {
    const GridCoord first{0, row};
    const GridCoord last{lastCol, row};
    Notify([&](HolidayTableObserver& o) { o.CellsChanged(first, last); });
}

void HolidayTable::SetColCount(std::int32_t n) {
    if (n == mColCount) {
        return;
    }
    if (n > MaxCount) {
        throw EInvalidGridOperation(GridTooLarge);
    }
    n = std::max(n, 1);
    if (n <= mFixedCols) {
        SetFixedCols(n - 1);
    }
    const GridCoord oldExtent{mColCount, mRowCount};
    if (mRecording != nullptr) {
        mRecording->CountChanging(mCells, TableChange::Count::Cols, mColCount, n);
    }
    mColCount = n;
    ResizeSteps(oldExtent);
}

void HolidayTable::SetRowCount(std::int32_t n) {
    if (n == mRowCount) {
        return;
    }
    if (n > MaxCount && mRowHeightsChanged) {
        throw EInvalidGridOperation(GridTooLarge);
    }
    n = std::max(n, 1);
    if (n <= mFixedRows) {
        SetFixedRows(n - 1);
    }
    const GridCoord oldExtent{mColCount, mRowCount};
    if (mRecording != nullptr) {
        mRecording->CountChanging(mCells, TableChange::Count::Rows, mRowCount, n);
    }
    mRowCount = n;
    ResizeSteps(oldExtent);
}

void HolidayTable::ResizeSteps(GridCoord oldExtent) {
    if (mColCount < oldExtent.Col) {
        mColWidths.Truncate(mColCount);
    }
    if (mRowCount < oldExtent.Row) {
        mRowHeights.Truncate(mRowCount);
    }
    const GridCoord oldCurrent = mCurrent;
    const GridCoord oldAnchor = mAnchor;
    const GridCoord oldTopLeft = mTopLeft;
    mCurrent = {std::min(mCurrent.Col, mColCount - 1), std::min(mCurrent.Row, mRowCount - 1)};
    mAnchor = mCurrent;
    mTopLeft = ClampToScrolling(mTopLeft);
    if (mObservers.empty()) {
        return;
    }
    Notify([&](HolidayTableObserver& o) { o.ExtentChanged(oldExtent); });
    NotifyCurrentAndAnchor(oldCurrent, oldAnchor, true);
    if (mTopLeft != oldTopLeft) {
        Notify([](HolidayTableObserver& o) { o.TopLeftChanged(); });
    }
}

void HolidayTable::SetFixedCols(std::int32_t n) {
    if (n == mFixedCols) {
        return;
    }
    if (n < 0) {
        throw EInvalidGridOperation(IndexOutOfRange);
    }
    if (n >= mColCount) {
        throw EInvalidGridOperation(FixedColsTooMany);
    }
    if (mRecording != nullptr) {
        mRecording->CountChanging(mCells, TableChange::Count::FixedCols, mFixedCols, n);
    }
    mFixedCols = n;
    FixedCountsSteps();
}

void HolidayTable::SetFixedRows(std::int32_t n) {
    if (n == mFixedRows) {
        return;
    }
    if (n < 0) {
        throw EInvalidGridOperation(IndexOutOfRange);
    }
    if (n >= mRowCount) {
        throw EInvalidGridOperation(FixedRowsTooMany);
    }
    if (mRecording != nullptr) {
        mRecording->CountChanging(mCells, TableChange::Count::FixedRows, mFixedRows, n);
    }
    mFixedRows = n;
    FixedCountsSteps();
}

void HolidayTable::FixedCountsSteps() {
    const GridCoord oldCurrent = mCurrent;
    const GridCoord oldAnchor = mAnchor;
    const GridCoord firstCell{mFixedCols, mFixedRows};
    mCurrent = firstCell;
    mAnchor = firstCell;
    mTopLeft = firstCell;
    if (mObservers.empty()) {
        return;
    }
    Notify([](HolidayTableObserver& o) { o.FixedCountsChanged(); });
    NotifyCurrentAndAnchor(oldCurrent, oldAnchor, false);
    Notify([](HolidayTableObserver& o) { o.TopLeftChanged(); });
}

GridCoord HolidayTable::ClampToScrolling(GridCoord cell) const noexcept {
    return {std::clamp(cell.Col, mFixedCols, mColCount - 1),
            std::clamp(cell.Row, mFixedRows, mRowCount - 1)};
}

void HolidayTable::SetCurrentCell(GridCoord cell) {
    cell = ClampToScrolling(cell);
    const GridCoord oldCurrent = mCurrent;
    const GridCoord oldAnchor = mAnchor;
    mCurrent = cell;
    mAnchor = cell;
    NotifyCurrentAndAnchor(oldCurrent, oldAnchor, false);
}

void HolidayTable::NotifyCurrentAndAnchor(GridCoord oldCurrent, GridCoord oldAnchor,
                                          bool scrollIntoView) {
    if (mBatch.Depth > 0 && mCurrent != oldCurrent) {
        mBatch.ScrollIntoView = mBatch.ScrollIntoView || scrollIntoView;
    }
    if (mCurrent != oldCurrent) {
        Notify([&](HolidayTableObserver& o) { o.CurrentCellMoved(oldCurrent, scrollIntoView); });
    } else if (mAnchor != oldAnchor) {
        Notify([](HolidayTableObserver& o) { o.AnchorChanged(); });
    }
}

void HolidayTable::SetAnchor(GridCoord cell) {
    cell = ClampToScrolling(cell);
    if (cell != mAnchor) {
        mAnchor = cell;
        Notify([](HolidayTableObserver& o) { o.AnchorChanged(); });
    }
}

void HolidayTable::SetTopLeft(GridCoord cell) {
    mTopLeft = ClampToScrolling(cell);
}

void HolidayTable::NotifyWholeExtent() {
    if (!mObservers.empty()) {
        const GridCoord first{0, 0};
        const GridCoord last{mColCount - 1, mRowCount - 1};
        Notify([&](HolidayTableObserver& o) { o.CellsChanged(first, last); });
    }
}

void HolidayTable::RecordClearing(std::int32_t colLimit, std::int64_t rowLimit) {
    const std::int64_t rows = std::min(rowLimit, mCells.RowEnd());
    for (std::int64_t r = 0; r < rows; ++r) {
        const auto row = static_cast<std::int32_t>(r);
        // The entries first: each write below changes the row being walked.
        std::vector<std::int32_t> cols;
        std::int32_t col = 0;
        std::string_view text;
        for (auto entries = mCells.Entries(row); entries.Next(col, text) && col < colLimit;) {
            cols.push_back(col);
        }
        for (const std::int32_t c : cols) {
            mRecording->CellWriting(mCells, c, row, {});
        }
    }
}

void HolidayTable::RecordAdopting(std::int32_t row, std::string_view bytes) {
    std::int32_t col = 0;
    for (std::size_t at = 0; at <= bytes.size(); ++col) {
        const std::size_t end = std::min(bytes.find('\0', at), bytes.size());
        mRecording->CellWriting(mCells, col, row, bytes.substr(at, end - at));
        at = end + 1;
    }
}

void HolidayTable::Clear() {
    if (mRecording != nullptr) {
        RecordClearing(mColCount, mRowCount);
    }
    mCells.ClearRange(mColCount, mRowCount);
    NotifyWholeExtent();
}

void HolidayTable::ClearCellStore() {
    if (mRecording != nullptr) {
        RecordClearing(INT32_MAX, mCells.RowEnd());
    }
    mCells.ClearAll();
    ++mStoreResets;
    NotifyWholeExtent();
}

void HolidayTable::ResetForOpen() {
    ClearCellStore();
    SetColCount(0);
    SetRowCount(0);
}

std::unique_ptr<HolidayTable> HolidayTable::OpenResetCopy() const {
    auto copy = std::make_unique<HolidayTable>();
    copy->ResetForOpen();
    copy->mColWidths.Set(0, ColWidth(0));
    copy->mRowHeights.Set(0, RowHeight(0));
    copy->mRowHeightsChanged = mRowHeightsChanged;
    return copy;
}

void HolidayTable::TakeOver(HolidayTable& other) {
    if (&other == this) {
        return;
    }
    const NotificationBatch batch(*this);
    mCells.TakeOver(std::move(other.mCells));
    mColCount = other.mColCount;
    mRowCount = other.mRowCount;
    mFixedCols = other.mFixedCols;
    mFixedRows = other.mFixedRows;
    mCurrent = other.mCurrent;
    mAnchor = other.mAnchor;
    mTopLeft = other.mTopLeft;
    mColWidths = std::move(other.mColWidths);
    mRowHeights = std::move(other.mRowHeights);
    mRowHeightsChanged = other.mRowHeightsChanged;
    other.mColWidths = AxisSizes(DefaultColWidth);
    other.mRowHeights = AxisSizes(DefaultRowHeight);
    other.ResetForOpen();
    mBatch.Told = true;
    mBatch.ScrollIntoView = true;
    mBatch.FirstWidth = 0;
    mBatch.FirstHeight = 0;
}

void HolidayTable::AssignRow(std::int32_t target, std::int32_t source) {
    if (target < 0 || source < 0) {
        throw EInvalidGridOperation(IndexOutOfRange);
    }
    if (mRecording != nullptr && target != source) {
        // Every column where the two rows differ: the target's texts, then the source's where
        // the target has none.
        std::vector<std::pair<std::int32_t, std::string>> writes;
        std::int32_t col = 0;
        std::string_view text;
        for (auto entries = mCells.Entries(target); entries.Next(col, text) && col < mColCount;) {
            writes.emplace_back(col, mCells.View(col, source));
        }
        for (auto entries = mCells.Entries(source); entries.Next(col, text) && col < mColCount;) {
            if (mCells.View(col, target).empty()) {
                writes.emplace_back(col, text);
            }
        }
        std::sort(writes.begin(), writes.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [c, now] : writes) {
            mRecording->CellWriting(mCells, c, target, now);
        }
    }
    mCells.CopyRow(target, source, mColCount);
    if (!mObservers.empty()) {
        const GridCoord first{0, target};
        const GridCoord last{mColCount - 1, target};
        Notify([&](HolidayTableObserver& o) { o.CellsChanged(first, last); });
    }
}

void HolidayTable::DeleteTableRow(std::int32_t row) {
    if (row < 0) {
        throw EInvalidGridOperation(IndexOutOfRange);
    }
    if (row <= mRowCount - 2) {
        if (mRecording != nullptr) {
            mRecording->RowDeleting(mCells, row, mColCount, mRowCount);
        }
        for (std::int32_t x = row; x <= mRowCount - 2; ++x) {
            mCells.CopyRow(x, x + 1, mColCount);
        }
        if (!mObservers.empty()) {
            const GridCoord first{0, row};
            const GridCoord last{mColCount - 1, mRowCount - 2};
            Notify([&](HolidayTableObserver& o) { o.CellsChanged(first, last); });
        }
    }
    SetRowCount(mRowCount - 1);
}

void HolidayTable::AddRow() {
    SetRowCount(mRowCount == INT32_MAX ? mRowCount : mRowCount + 1);
}

void HolidayTable::AddColumn() {
    SetColCount(mColCount == INT32_MAX ? mColCount : mColCount + 1);
}

void HolidayTable::SetColWidth(std::int32_t col, std::int32_t width) {
    if (col < 0 || col >= mColCount) {
        throw EInvalidGridOperation(IndexOutOfRange);
    }
    if (!mColWidths.Set(col, width)) {
        return;
    }
    mBatch.FirstWidth = std::min(mBatch.FirstWidth, col);
    Notify([&](HolidayTableObserver& o) { o.ColWidthChanged(col); });
}

void HolidayTable::SetRowHeight(std::int32_t row, std::int32_t height) {
    if (row < 0 || row >= mRowCount) {
        throw EInvalidGridOperation(IndexOutOfRange);
    }
    if (!mRowHeights.Set(row, height)) {
        return;
    }
    mRowHeightsChanged = true;
    mBatch.FirstHeight = std::min(mBatch.FirstHeight, row);
    Notify([&](HolidayTableObserver& o) { o.RowHeightChanged(row); });
}

} // namespace holiday
