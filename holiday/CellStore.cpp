#include "holiday/CellStore.h"

#include <climits>
#include <cstring>
#include <functional>
#include <iterator>
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

namespace {

// The text at col among the packed entries of bytes, whose first entry counts from base (the
// column before them); empty when there is none.
std::string_view FindIn(const std::string& bytes, std::int64_t base, std::int32_t col) noexcept {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    std::int64_t c = base;
    while (p != end) {
        c += static_cast<std::int64_t>(detail::ReadVarint(p)) + 1;
        const auto length = static_cast<std::size_t>(detail::ReadVarint(p));
        if (c >= col) {
            return c == col ? std::string_view(p, length) : std::string_view();
        }
        p += length;
    }
    return {};
}

// The column of the last entry of bytes, or base when it holds none.
std::int64_t LastColIn(const std::string& bytes, std::int64_t base) noexcept {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    std::int64_t c = base;
    while (p != end) {
        c += static_cast<std::int64_t>(detail::ReadVarint(p)) + 1;
        p += detail::ReadVarint(p);
    }
    return c;
}

// Stores text at col among the packed entries of bytes (first entry counting from base); the
// empty text removes the entry.
void SetIn(std::string& bytes, std::int64_t base, std::int32_t col, std::string_view text) {
    std::int64_t prevCol = base;
    std::size_t pos = 0;
    EntryPos e;
    for (;;) {
        if (pos == bytes.size()) {
            if (!text.empty()) {
                AppendEntry(bytes, static_cast<std::uint64_t>(col - prevCol - 1), text);
            }
            return;
        }
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

// Moves the entries of bytes from the first one that starts at or past its middle into a new
// segment of segments; nothing when bytes holds no such entry but its first.
void SplitSegment(std::map<std::int32_t, std::string>& segments,
                  std::map<std::int32_t, std::string>::iterator segment) {
    std::string& bytes = segment->second;
    std::int64_t prevCol = std::int64_t{segment->first} - 1;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const EntryPos e = ReadEntry(bytes, pos, prevCol);
        if (pos > 0 && pos >= bytes.size() / 2) {
            std::string tail;
            tail.reserve(bytes.size() - pos + 2);
            AppendVarint(tail, 0);
            tail.append(bytes, VarintEnd(bytes, pos), std::string::npos);
            bytes.erase(pos);
            bytes.shrink_to_fit();
            segments.emplace_hint(std::next(segment), static_cast<std::int32_t>(e.col),
                                  std::move(tail));
            return;
        }
        prevCol = e.col;
        pos = e.end;
    }
}

} // namespace

CellStore::RowEntries CellStore::EntriesOf(const RowData& data) noexcept {
    if (data.mWide) {
        return RowEntries(*data.mWide);
    }
    return RowEntries(data.mBytes.data(), data.mBytes.data() + data.mBytes.size());
}

std::string_view CellStore::View(std::int32_t col, std::int32_t row) const noexcept {
    const RowData* data = FindRow(row);
    if (data == nullptr || col < 0 || col > data->mLastCol) {
        return {};
    }
    if (data->mWide) {
        const auto segment = std::prev(data->mWide->upper_bound(col));
        return FindIn(segment->second, std::int64_t{segment->first} - 1, col);
    }
    return FindIn(data->mBytes, -1, col);
}

std::string CellStore::Get(std::int32_t col, std::int32_t row) const {
    return std::string(View(col, row));
}

CellStore::RowEntries CellStore::Entries(std::int32_t row) const noexcept {
    const RowData* data = FindRow(row);
    if (data == nullptr) {
        return {};
    }
    return EntriesOf(*data);
}

std::int32_t CellStore::LastCol(std::int32_t row) const noexcept {
    const RowData* data = FindRow(row);
    return data == nullptr ? -1 : data->mLastCol;
}

void CellStore::TrimAppendRow() noexcept {
    RowData* data = FindRow(mAppendRow);
    if (data == nullptr || data->mWide) {
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

void CellStore::ClearRow(RowData& data) noexcept {
    std::string().swap(data.mBytes);
    data.mWide.reset();
    data.mLastCol = -1;
}

void CellStore::MakeWide(RowData& data) {
    auto segments = std::make_unique<Segments>();
    std::string* current = &(*segments)[0];
    std::int64_t prev = -1;
    std::int32_t col = 0;
    std::string_view text;
    for (RowEntries it(data.mBytes.data(), data.mBytes.data() + data.mBytes.size());
         it.Next(col, text);) {
        if (current->size() >= SegmentBytes) {
            current = &segments->emplace_hint(segments->end(), col, std::string())->second;
            prev = std::int64_t{col} - 1;
        }
        AppendEntry(*current, static_cast<std::uint64_t>(col - prev - 1), text);
        prev = col;
    }
    data.mWide = std::move(segments);
    std::string().swap(data.mBytes);
}

void CellStore::AppendToRow(RowData& data, std::int32_t col, std::string_view text) {
    const auto delta = static_cast<std::uint64_t>(std::int64_t{col} - data.mLastCol - 1);
    if (data.mWide) {
        auto last = std::prev(data.mWide->end());
        if (last->second.size() >= SegmentBytes) {
            std::string bytes;
            AppendEntry(bytes, 0, text);
            data.mWide->emplace_hint(data.mWide->end(), col, std::move(bytes));
        } else {
            AppendEntry(last->second, delta, text);
        }
    } else {
        AppendEntry(data.mBytes, delta, text);
        if (data.mBytes.size() > WideBytes) {
            MakeWide(data);
        }
    }
    data.mLastCol = col;
}

void CellStore::Set(std::int32_t col, std::int32_t row, std::string_view text) {
    ++mRevision;
    if (col < 0 || row < 0) {
        throw std::out_of_range("CellStore: negative cell position");
    }
    RowData* found = FindRow(row);
    if (text.empty() && (found == nullptr || col > found->mLastCol)) {
        return;
    }
    RowData& data = found != nullptr ? *found : MakeRow(row);
    // A text read from this very row (through Entries or View) would move while the row is
    // rewritten.
    std::string ownCopy;
    auto within = [&text](const std::string& bytes) {
        return std::less_equal<>()(bytes.data(), text.data()) &&
               std::less<>()(text.data(), bytes.data() + bytes.size());
    };
    if (!text.empty() && data.mLastCol >= 0) {
        bool aliased = within(data.mBytes);
        if (data.mWide) {
            const auto segment = std::prev(data.mWide->upper_bound(std::max(col, 0)));
            aliased =
                aliased || within(segment->second) || within(std::prev(data.mWide->end())->second);
        }
        if (aliased) {
            ownCopy.assign(text);
            text = ownCopy;
        }
    }
    if (row >= mRowEnd) {
        mRowEnd = std::int64_t{row} + 1;
    }

    if (col > data.mLastCol) { // append at the end of the row
        if (row != mAppendRow) {
            TrimAppendRow();
            mAppendRow = row;
            // Rows filled in order tend to be alike: one allocation of the last one's size.
            if (!data.mWide && data.mBytes.empty() && mRowSizeHint > data.mBytes.capacity()) {
                data.mBytes.reserve(mRowSizeHint);
            }
        }
        AppendToRow(data, col, text);
        return;
    }

    const bool removesLast = text.empty() && col == data.mLastCol;
    if (!data.mWide) {
        SetIn(data.mBytes, -1, col, text);
        if (removesLast) {
            data.mLastCol = static_cast<std::int32_t>(LastColIn(data.mBytes, -1));
        } else if (data.mBytes.size() > WideBytes) {
            MakeWide(data);
        }
        return;
    }
    Segments& segments = *data.mWide;
    auto segment = std::prev(segments.upper_bound(col));
    SetIn(segment->second, std::int64_t{segment->first} - 1, col, text);
    if (segment->second.empty()) {
        if (segment->first != 0) {
            segments.erase(segment);
        }
    } else if (segment->second.size() > 2 * SegmentBytes) {
        SplitSegment(segments, segment);
    }
    if (removesLast) {
        const auto last = std::prev(segments.end());
        data.mLastCol =
            static_cast<std::int32_t>(LastColIn(last->second, std::int64_t{last->first} - 1));
    }
}

void CellStore::SetRow(std::int32_t row, std::span<const std::string_view> texts) {
    ++mRevision;
    if (row < 0) {
        throw std::out_of_range("CellStore: negative row");
    }
    RowData* found = FindRow(row);
    if ((found != nullptr && found->mLastCol >= 0) ||
        texts.size() > static_cast<std::size_t>(INT32_MAX)) {
        for (std::size_t k = 0; k < texts.size(); ++k) {
            Set(static_cast<std::int32_t>(k), row, texts[k]);
        }
        return;
    }
    // The packed size first, then one allocation.
    std::size_t total = 0;
    std::size_t gap = 0; // empty cells since the last text
    std::int32_t last = -1;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const std::size_t length = texts[k].size();
        if (length == 0) {
            ++gap;
            continue;
        }
        char scratch[10];
        total += EncodeVarint(scratch, gap) + EncodeVarint(scratch, length) + length;
        gap = 0;
        last = static_cast<std::int32_t>(k);
    }
    if (last < 0) {
        return;
    }
    RowData& data = found != nullptr ? *found : MakeRow(row);
    if (row >= mRowEnd) {
        mRowEnd = std::int64_t{row} + 1;
    }
    if (row != mAppendRow) {
        TrimAppendRow();
        mAppendRow = row;
    }
    std::string bytes(total, '\0');
    char* out = bytes.data();
    gap = 0;
    for (const std::string_view text : texts) {
        if (text.empty()) {
            ++gap;
            continue;
        }
        out += EncodeVarint(out, gap);
        out += EncodeVarint(out, text.size());
        std::memcpy(out, text.data(), text.size());
        out += text.size();
        gap = 0;
    }
    mRowSizeHint = total + 8;
    data.mBytes.swap(bytes);
    data.mWide.reset();
    data.mLastCol = last;
    if (data.mBytes.size() > WideBytes) {
        MakeWide(data);
    }
}

void CellStore::ClearAll() noexcept {
    ++mRevision;
    mPages.clear();
    mPages.shrink_to_fit();
    mFarRows.clear();
    mRowEnd = 0;
    mAppendRow = -1;
    mRowSizeHint = 0;
}

void CellStore::CopyRow(std::int32_t target, std::int32_t source, std::int32_t colLimit) {
    ++mRevision;
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
            ClearRow(*tgt);
            return;
        }
        if (tgt == nullptr) {
            tgt = &MakeRow(target);
        }
        tgt->mBytes.assign(src->mBytes);
        tgt->mWide = src->mWide ? std::make_unique<Segments>(*src->mWide) : nullptr;
        tgt->mLastCol = src->mLastCol;
        return;
    }
    // Mixed: the source's entries below colLimit, then the target's from colLimit on.
    RowData merged;
    std::int32_t col = 0;
    std::string_view text;
    if (src != nullptr) {
        for (RowEntries it = EntriesOf(*src); it.Next(col, text) && col < colLimit;) {
            AppendToRow(merged, col, text);
        }
    }
    if (tgt != nullptr) {
        for (RowEntries it = EntriesOf(*tgt); it.Next(col, text);) {
            if (col >= colLimit) {
                AppendToRow(merged, col, text);
            }
        }
    } else {
        tgt = &MakeRow(target);
    }
    *tgt = std::move(merged);
}

void CellStore::ClearRange(std::int32_t colLimit, std::int32_t rowLimit) {
    ++mRevision;
    if (colLimit <= 0 || rowLimit <= 0) {
        return;
    }
    ForEachRow(rowLimit, [&](std::int32_t, RowData& data) {
        if (data.mLastCol < 0) {
            return;
        }
        if (data.mLastCol < colLimit) {
            ClearRow(data);
            return;
        }
        RowData kept;
        std::int32_t col = 0;
        std::string_view text;
        for (RowEntries it = EntriesOf(data); it.Next(col, text);) {
            if (col >= colLimit) {
                AppendToRow(kept, col, text);
            }
        }
        data = std::move(kept);
    });
}

std::size_t CellStore::MemoryUsage() const noexcept {
    std::size_t total = mPages.capacity() * sizeof(std::unique_ptr<Page>);
    const_cast<CellStore*>(this)->ForEachRow(mRowEnd, [&](std::int32_t, RowData& data) {
        if (data.mBytes.capacity() > 15) {
            total += data.mBytes.capacity() + 1;
        }
        if (data.mWide) {
            for (const auto& [col, bytes] : *data.mWide) {
                total += 80 + (bytes.capacity() > 15 ? bytes.capacity() + 1 : 0);
            }
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
