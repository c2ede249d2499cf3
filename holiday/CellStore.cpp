#include "holiday/CellStore.h"

#include <functional>
#include <stdexcept>

namespace holiday {

namespace {

// Writes value into bytes (room for 10); returns the number of bytes written.
std::size_t EncodeVarint(char* bytes, std::uint64_t value) noexcept {
    std::size_t n = 0;
    while (value >= 0x80) {
        bytes[n++] = static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    bytes[n++] = static_cast<char>(value);
    return n;
}

void AppendVarint(std::string& out, std::uint64_t value) {
    char bytes[10];
    out.append(bytes, EncodeVarint(bytes, value));
}

void AppendEntry(std::string& out, std::uint64_t delta, std::string_view text) {
    char header[20];
    std::size_t n = EncodeVarint(header, delta);
    n += EncodeVarint(header + n, text.size());
    out.append(header, n);
    out.append(text);
}

// One entry of a packed row: where it starts, where its text lies, its column.
struct EntryPos {
    std::size_t start = 0;     // first byte of the column distance
    std::size_t textStart = 0; // first text byte
    std::size_t end = 0;       // one past the last text byte
    std::int64_t col = -1;
    std::uint64_t delta = 0;
};

// Reads the entry at offset start whose predecessor sits at column prevCol.
EntryPos ReadEntry(const std::string& bytes, std::size_t start, std::int64_t prevCol) {
    EntryPos e;
    e.start = start;
    const char* base = bytes.data();
    const char* p = base + start;
    e.delta = detail::ReadVarint(p);
    e.col = prevCol + static_cast<std::int64_t>(e.delta) + 1;
    const auto length = static_cast<std::size_t>(detail::ReadVarint(p));
    e.textStart = static_cast<std::size_t>(p - base);
    e.end = e.textStart + length;
    return e;
}

// One past the variable-length integer that starts at pos.
std::size_t VarintEnd(const std::string& bytes, std::size_t pos) {
    const char* p = bytes.data() + pos;
    (void)detail::ReadVarint(p);
    return static_cast<std::size_t>(p - bytes.data());
}

} // namespace

const CellStore::RowData* CellStore::FindRow(std::int32_t row) const noexcept {
    if (row < 0) {
        return nullptr;
    }
    if (row < PagedRowLimit) {
        const auto page = static_cast<std::size_t>(row / PageRows);
        if (page >= mPages.size() || !mPages[page]) {
            return nullptr;
        }
        return &mPages[page]->mRows[row % PageRows];
    }
    const auto it = mFarRows.find(row);
    return it == mFarRows.end() ? nullptr : &it->second;
}

CellStore::RowData* CellStore::FindRow(std::int32_t row) noexcept {
    return const_cast<RowData*>(static_cast<const CellStore*>(this)->FindRow(row));
}

CellStore::RowData& CellStore::MakeRow(std::int32_t row) {
    if (row < PagedRowLimit) {
        const auto page = static_cast<std::size_t>(row / PageRows);
        if (page >= mPages.size()) {
            mPages.resize(page + 1);
        }
        if (!mPages[page]) {
            mPages[page] = std::make_unique<Page>();
        }
        return mPages[page]->mRows[row % PageRows];
    }
    return mFarRows[row];
}

bool CellStore::Empty() const noexcept {
    bool empty = true;
    const_cast<CellStore*>(this)->ForEachRow(mRowEnd, [&](std::int32_t, RowData& data) {
        if (data.mLastCol >= 0) {
            empty = false;
        }
    });
    return empty;
}

template <typename Visitor> void CellStore::ForEachRow(std::int64_t rowLimit, Visitor&& visit) {
    for (std::size_t page = 0; page < mPages.size(); ++page) {
        if (!mPages[page]) {
            continue;
        }
        const auto first = static_cast<std::int32_t>(page) * PageRows;
        if (first >= rowLimit) {
            return;
        }
        for (std::int32_t i = 0; i < PageRows && first + i < rowLimit; ++i) {
            visit(first + i, mPages[page]->mRows[i]);
        }
    }
    for (auto& [row, data] : mFarRows) {
        if (row >= rowLimit) {
            return;
        }
        visit(row, data);
    }
}

std::string CellStore::Get(std::int32_t col, std::int32_t row) const {
    const RowData* data = FindRow(row);
    if (data == nullptr || col < 0 || col > data->mLastCol) {
        return {};
    }
    RowEntries entries(data->mBytes.data(), data->mBytes.data() + data->mBytes.size());
    std::int32_t c = 0;
    std::string_view text;
    while (entries.Next(c, text)) {
        if (c == col) {
            return std::string(text);
        }
        if (c > col) {
            break;
        }
    }
    return {};
}

CellStore::RowEntries CellStore::Entries(std::int32_t row) const noexcept {
    const RowData* data = FindRow(row);
    if (data == nullptr) {
        return {};
    }
    return RowEntries(data->mBytes.data(), data->mBytes.data() + data->mBytes.size());
}

std::int32_t CellStore::LastCol(std::int32_t row) const noexcept {
    const RowData* data = FindRow(row);
    return data == nullptr ? -1 : data->mLastCol;
}

void CellStore::TrimAppendRow() noexcept {
    RowData* data = FindRow(mAppendRow);
    if (data == nullptr) {
        return;
    }
    mRowSizeHint = data->mBytes.size() + 8;
    if (data->mBytes.capacity() > data->mBytes.size() + data->mBytes.size() / 8 + 16) {
        try {
            data->mBytes.shrink_to_fit();
        } catch (...) { // keeping the spare capacity is harmless
        }
    }
}

void CellStore::Set(std::int32_t col, std::int32_t row, std::string_view text) {
    if (col < 0 || row < 0) {
        throw std::out_of_range("CellStore: negative cell position");
    }
    RowData* found = FindRow(row);
    if (text.empty() && (found == nullptr || col > found->mLastCol)) {
        return;
    }
    RowData& data = found != nullptr ? *found : MakeRow(row);
    std::string& bytes = data.mBytes;
    // A text read from this very row (through Entries) would move while the row is rewritten.
    std::string ownCopy;
    if (!text.empty() && std::less_equal<>()(bytes.data(), text.data()) &&
        std::less<>()(text.data(), bytes.data() + bytes.size())) {
        ownCopy.assign(text);
        text = ownCopy;
    }
    if (row >= mRowEnd) {
        mRowEnd = std::int64_t{row} + 1;
    }

    if (col > data.mLastCol) { // append at the end of the row
        if (row != mAppendRow) {
            TrimAppendRow();
            mAppendRow = row;
            // Rows filled in order tend to be alike: one allocation of the last one's size.
            if (bytes.empty() && mRowSizeHint > bytes.capacity()) {
                bytes.reserve(mRowSizeHint);
            }
        }
        AppendEntry(bytes, static_cast<std::uint64_t>(std::int64_t{col} - data.mLastCol - 1), text);
        data.mLastCol = col;
        return;
    }

    // Find the first entry at or after col.
    std::int64_t prevCol = -1;
    std::size_t pos = 0;
    EntryPos e;
    for (;;) {
        e = ReadEntry(bytes, pos, prevCol);
        if (e.col >= col) {
            break;
        }
        prevCol = e.col;
        pos = e.end;
    }
    std::string replacement;
    if (e.col == col) {
        if (!text.empty()) {
            AppendEntry(replacement, e.delta, text);
            bytes.replace(e.start, e.end - e.start, replacement);
            return;
        }
        if (e.end == bytes.size()) { // removing the last entry
            bytes.erase(e.start);
            data.mLastCol = static_cast<std::int32_t>(prevCol);
            if (bytes.empty()) {
                std::string().swap(bytes);
            }
            return;
        }
        // The next entry's distance now spans the removed one too.
        const EntryPos next = ReadEntry(bytes, e.end, e.col);
        AppendVarint(replacement, e.delta + next.delta + 1);
        bytes.replace(e.start, VarintEnd(bytes, e.end) - e.start, replacement);
        return;
    }
    if (text.empty()) {
        return;
    }
    // Insert before e, whose distance now counts from col.
    AppendEntry(replacement, static_cast<std::uint64_t>(std::int64_t{col} - prevCol - 1), text);
    AppendVarint(replacement, static_cast<std::uint64_t>(e.col - col - 1));
    bytes.replace(e.start, VarintEnd(bytes, e.start) - e.start, replacement);
}

void CellStore::ClearAll() noexcept {
    mPages.clear();
    mPages.shrink_to_fit();
    mFarRows.clear();
    mRowEnd = 0;
    mAppendRow = -1;
    mRowSizeHint = 0;
}

void CellStore::CopyRow(std::int32_t target, std::int32_t source, std::int32_t colLimit) {
    if (target < 0 || source < 0) {
        throw std::out_of_range("CellStore: negative row");
    }
    if (target == source || colLimit <= 0) {
        return;
    }
    const RowData* src = FindRow(source);
    RowData* tgt = FindRow(target);
    const std::int32_t srcLast = src == nullptr ? -1 : src->mLastCol;
    const std::int32_t tgtLast = tgt == nullptr ? -1 : tgt->mLastCol;
    if (srcLast < 0 && tgtLast < 0) {
        return;
    }
    if (target >= mRowEnd) {
        mRowEnd = std::int64_t{target} + 1;
    }
    if (srcLast < colLimit && tgtLast < colLimit) { // the whole packed row moves over
        if (srcLast < 0) {
            std::string().swap(tgt->mBytes);
            tgt->mLastCol = -1;
            return;
        }
        if (tgt == nullptr) {
            tgt = &MakeRow(target);
            src = FindRow(source);
        }
        tgt->mBytes.assign(src->mBytes);
        tgt->mLastCol = src->mLastCol;
        return;
    }
    // Mixed: the source's entries below colLimit, then the target's from colLimit on.
    std::string merged;
    std::int64_t prev = -1;
    std::int32_t col = 0;
    std::string_view text;
    for (RowEntries it = Entries(source); it.Next(col, text) && col < colLimit;) {
        AppendEntry(merged, static_cast<std::uint64_t>(col - prev - 1), text);
        prev = col;
    }
    for (RowEntries it = Entries(target); it.Next(col, text);) {
        if (col >= colLimit) {
            AppendEntry(merged, static_cast<std::uint64_t>(col - prev - 1), text);
            prev = col;
        }
    }
    if (tgt == nullptr) {
        tgt = &MakeRow(target);
    }
    tgt->mBytes.swap(merged);
    tgt->mLastCol = static_cast<std::int32_t>(prev);
}

void CellStore::ClearRange(std::int32_t colLimit, std::int32_t rowLimit) {
    if (colLimit <= 0 || rowLimit <= 0) {
        return;
    }
    ForEachRow(rowLimit, [&](std::int32_t, RowData& data) {
        if (data.mLastCol < 0) {
            return;
        }
        if (data.mLastCol < colLimit) {
            std::string().swap(data.mBytes);
            data.mLastCol = -1;
            return;
        }
        std::string kept;
        std::int64_t prev = -1;
        std::int32_t col = 0;
        std::string_view text;
        for (RowEntries it(data.mBytes.data(), data.mBytes.data() + data.mBytes.size());
             it.Next(col, text);) {
            if (col >= colLimit) {
                AppendEntry(kept, static_cast<std::uint64_t>(col - prev - 1), text);
                prev = col;
            }
        }
        data.mBytes.swap(kept);
    });
}

std::size_t CellStore::MemoryUsage() const noexcept {
    std::size_t total = mPages.capacity() * sizeof(std::unique_ptr<Page>);
    const_cast<CellStore*>(this)->ForEachRow(mRowEnd, [&](std::int32_t, RowData& data) {
        if (data.mBytes.capacity() > 15) {
            total += data.mBytes.capacity() + 1;
        }
    });
    for (const auto& page : mPages) {
        if (page) {
            total += sizeof(Page);
        }
    }
    total += mFarRows.size() * (sizeof(RowData) + 48);
    return total;
}

} // namespace holiday
