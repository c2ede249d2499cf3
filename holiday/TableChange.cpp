#include "holiday/TableChange.h"

#include "holiday/CellStore.h"
#include "holiday/HolidayTable.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace holiday {

namespace {

// Reads what PutNumber and PutText wrote.
class LogReader {
public:
    LogReader(const char* begin, const char* end) noexcept : mPos(begin), mEnd(end) {}

    [[nodiscard]] bool AtEnd() const noexcept { return mPos >= mEnd; }
    [[nodiscard]] char Byte() noexcept { return *mPos++; }
    [[nodiscard]] std::uint64_t Number() noexcept {
        std::uint64_t value = 0;
        for (int shift = 0; mPos < mEnd; shift += 7) {
            const auto byte = static_cast<unsigned char>(*mPos++);
            value |= std::uint64_t{byte & 0x7Fu} << shift;
            if ((byte & 0x80u) == 0) {
                break;
            }
        }
        return value;
    }
    [[nodiscard]] std::int32_t Index() noexcept { return static_cast<std::int32_t>(Number()); }
    [[nodiscard]] std::string_view Text() noexcept {
        const auto size = static_cast<std::size_t>(Number());
        const std::string_view text(mPos, size);
        mPos += size;
        return text;
    }

private:
    const char* mPos;
    const char* mEnd;
};

// Sets a count or fixed count back or forth; a fixed count that no longer fits the table (the
// user changed the counts' fixed parts since) stays.
void SetCount(HolidayTable& table, char which, std::int32_t value) {
    switch (static_cast<TableChange::Count>(which)) {
    case TableChange::Count::Cols:
        table.SetColCount(value);
        break;
    case TableChange::Count::Rows:
        table.SetRowCount(value);
        break;
    case TableChange::Count::FixedCols:
        if (value < table.ColCount()) {
            table.SetFixedCols(value);
        }
        break;
    case TableChange::Count::FixedRows:
        if (value < table.RowCount()) {
            table.SetFixedRows(value);
        }
        break;
    }
}

// Keeps the log as it was when a recording step fails halfway.
template <typename Log> class LogRollback {
public:
    LogRollback(Log& log, std::vector<std::size_t>& starts) noexcept
        : mLog(log), mStarts(starts), mLogSize(log.size()), mStartCount(starts.size()) {}
    ~LogRollback() {
        if (!mDone) {
            mLog.resize(mLogSize);
            mStarts.resize(mStartCount);
        }
    }
    LogRollback(const LogRollback&) = delete;
    LogRollback& operator=(const LogRollback&) = delete;
    void Done() noexcept { mDone = true; }

private:
    Log& mLog;
    std::vector<std::size_t>& mStarts;
    std::size_t mLogSize;
    std::size_t mStartCount;
    bool mDone = false;
};

} // namespace

void TableChange::PutNumber(std::uint64_t value) {
    char bytes[10];
    std::size_t n = 0;
    do {
        const auto low = static_cast<unsigned char>(value & 0x7Fu);
        value >>= 7;
        bytes[n++] = static_cast<char>(value != 0 ? (low | 0x80u) : low);
    } while (value != 0);
    mLog.append(bytes, n);
}

void TableChange::PutText(std::string_view text) {
    PutNumber(text.size());
    mLog.append(text.data(), text.size());
}

void TableChange::BeginRecord(char tag) {
    mRunOpen = false;
    mStarts.push_back(mLog.size());
    mLog.push_back(tag);
}

TableChange::Entry TableChange::AppendCell(std::int32_t col, std::int32_t row,
                                           std::string_view old) {
    if (!mRunOpen || row != mRunRow || col <= mRunCol) {
        BeginRecord(static_cast<char>(Tag::Cells));
        PutNumber(static_cast<std::uint64_t>(row));
        mRunOpen = true;
        mRunRow = row;
        mRunCol = -1;
        mRunEntries = mLog.size();
    }
    Entry entry{mLog.size(), 0, mRunCol};
    PutNumber(static_cast<std::uint64_t>(col - mRunCol - 1));
    PutNumber(old.size());
    entry.Old = mLog.size();
    mLog.append(old.data(), old.size());
    mRunCol = col;
    return entry;
}

void TableChange::CellSetting(const CellStore& cells, std::int32_t col, std::int32_t row) {
    if (mPending && row == mRunRow && col == mRunCol) {
        return; // the newest text is read when the change is sealed
    }
    Seal(cells);
    LogRollback rollback(mLog, mStarts);
    const auto run = std::tuple(mRunOpen, mRunRow, mRunCol, mRunEntries);
    try {
        const Entry entry = AppendCell(col, row, cells.View(col, row));
        mPending = true;
        mPendingEntry = entry.Begin;
        mPendingOld = entry.Old;
        mPendingPrevCol = entry.PrevCol;
        rollback.Done();
    } catch (...) {
        std::tie(mRunOpen, mRunRow, mRunCol, mRunEntries) = run;
        throw;
    }
}

void TableChange::CellWriting(const CellStore& cells, std::int32_t col, std::int32_t row,
                              std::string_view now) {
    Seal(cells);
    const std::string_view old = cells.View(col, row);
    if (old == now) {
        return;
    }
    LogRollback rollback(mLog, mStarts);
    const auto run = std::tuple(mRunOpen, mRunRow, mRunCol, mRunEntries);
    try {
        AppendCell(col, row, old);
        PutText(now);
        rollback.Done();
    } catch (...) {
        std::tie(mRunOpen, mRunRow, mRunCol, mRunEntries) = run;
        throw;
    }
}

void TableChange::Seal(const CellStore& cells) {
    if (!mPending) {
        return;
    }
    const std::string_view now = cells.View(mRunCol, mRunRow);
    const std::string_view old(mLog.data() + mPendingOld, mLog.size() - mPendingOld);
    if (now == old) {
        // Written back to what it was: no change of this cell.
        mLog.resize(mPendingEntry);
        mRunCol = mPendingPrevCol;
        if (mLog.size() == mRunEntries) {
            mLog.resize(mStarts.back());
            mStarts.pop_back();
            mRunOpen = false;
        }
    } else {
        PutText(now);
    }
    mPending = false;
}

void TableChange::RowDeleting(const CellStore& cells, std::int32_t row, std::int32_t colCount,
                              std::int32_t rowCount) {
    Seal(cells);
    LogRollback rollback(mLog, mStarts);
    BeginRecord(static_cast<char>(Tag::RowDeleted));
    PutNumber(static_cast<std::uint64_t>(row));
    PutNumber(static_cast<std::uint64_t>(colCount));
    PutNumber(static_cast<std::uint64_t>(rowCount));
    std::int32_t last = -1;
    std::int32_t col = 0;
    std::string_view text;
    for (auto entries = cells.Entries(row); entries.Next(col, text) && col < colCount;) {
        PutNumber(static_cast<std::uint64_t>(col - last - 1));
        PutText(text);
        last = col;
    }
    rollback.Done();
}

void TableChange::CountChanging(const CellStore& cells, Count which, std::int32_t old,
                                std::int32_t now) {
    Seal(cells);
    if (old == now) {
        return;
    }
    LogRollback rollback(mLog, mStarts);
    BeginRecord(static_cast<char>(which));
    PutNumber(static_cast<std::uint64_t>(old));
    PutNumber(static_cast<std::uint64_t>(now));
    rollback.Done();
}

void TableChange::Trim() {
    if (mLog.capacity() > mLog.size() + mLog.size() / 8 + 4096) {
        mLog.shrink_to_fit();
    }
    if (mStarts.capacity() > mStarts.size() + mStarts.size() / 8 + 64) {
        mStarts.shrink_to_fit();
    }
}

void TableChange::Undo(HolidayTable& table) const {
    for (std::size_t i = mStarts.size(); i-- > 0;) {
        const char* end = mLog.data() + (i + 1 < mStarts.size() ? mStarts[i + 1] : mLog.size());
        LogReader in(mLog.data() + mStarts[i], end);
        const char tag = in.Byte();
        if (tag == static_cast<char>(Tag::Cells)) {
            const std::int32_t row = in.Index();
            for (std::int32_t col = -1; !in.AtEnd();) {
                col += in.Index() + 1;
                const std::string_view old = in.Text();
                (void)in.Text();
                table.SetCell(col, row, old);
            }
        } else if (tag == static_cast<char>(Tag::RowDeleted)) {
            const std::int32_t row = in.Index();
            const std::int32_t colCount = in.Index();
            const std::int32_t rowCount = in.Index();
            for (std::int32_t x = rowCount - 1; x > row; --x) {
                table.AssignRow(x, x - 1);
            }
            // The deleted row's own texts over columns 0 .. colCount - 1.
            std::vector<std::int32_t> shown;
            std::int32_t col = 0;
            std::string_view text;
            for (auto entries = table.Cells().Entries(row);
                 entries.Next(col, text) && col < colCount;) {
                shown.push_back(col);
            }
            for (const std::int32_t c : shown) {
                table.SetCell(c, row, {});
            }
            for (col = -1; !in.AtEnd();) {
                col += in.Index() + 1;
                table.SetCell(col, row, in.Text());
            }
        } else {
            const std::int32_t old = in.Index();
            SetCount(table, tag, old);
        }
    }
}

void TableChange::Redo(HolidayTable& table) const {
    for (std::size_t i = 0; i < mStarts.size(); ++i) {
        const char* end = mLog.data() + (i + 1 < mStarts.size() ? mStarts[i + 1] : mLog.size());
        LogReader in(mLog.data() + mStarts[i], end);
        const char tag = in.Byte();
        if (tag == static_cast<char>(Tag::Cells)) {
            const std::int32_t row = in.Index();
            for (std::int32_t col = -1; !in.AtEnd();) {
                col += in.Index() + 1;
                (void)in.Text();
                table.SetCell(col, row, in.Text());
            }
        } else if (tag == static_cast<char>(Tag::RowDeleted)) {
            const std::int32_t row = in.Index();
            (void)in.Index();
            const std::int32_t rowCount = in.Index();
            for (std::int32_t x = row; x <= rowCount - 2; ++x) {
                table.AssignRow(x, x + 1);
            }
        } else {
            (void)in.Index();
            SetCount(table, tag, in.Index());
        }
    }
}

} // namespace holiday
