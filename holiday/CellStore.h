#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace holiday {

// The sparse map from a cell position (column >= 0, row >= 0) to its UTF-8 text. A position
// without an entry reads as the empty text; storing the empty text removes the entry. Every
// non-negative column and row index is accepted.
//
// Compact: the texts of a row are packed into one buffer (per entry the column distance to the
// previous entry and the text length as variable-length integers, then the text bytes), so a
// cell costs a few bytes beyond its text. A row that outgrows 16 KB is cut into segments of
// about 1 KB, kept in a sorted map by their first column, so reading or changing a cell costs
// O(log n) in the row's width plus one segment; appending at the end of a row (the reader's
// order) is amortised O(1). Rows below 67,108,864 live in pages of 1,024 rows; rows at or above
// it in a sorted map.
class CellStore {
    // The segments of a wide row by their first column; the first one starts at column 0.
    using Segments = std::map<std::int32_t, std::string>;

public:
    // Walks the texts of one row in ascending column order.
    class RowEntries {
    public:
        RowEntries() = default;
        // Moves to the next entry; false once the row is exhausted.
        bool Next(std::int32_t& col, std::string_view& text) noexcept;
        // The packed bytes left to walk in a row held in one buffer (at least the bytes of its
        // texts); SIZE_MAX for a row held in segments.
        [[nodiscard]] std::size_t PackedSizeLeft() const noexcept {
            return mSegments != nullptr ? SIZE_MAX : static_cast<std::size_t>(mEnd - mPos);
        }

    private:
        friend class CellStore;
        RowEntries(const char* begin, const char* end) noexcept : mPos(begin), mEnd(end) {}
        explicit RowEntries(const Segments& segments) noexcept
            : mSegments(&segments), mNext(segments.begin()) {}
        bool NextSegment() noexcept;
        const char* mPos = nullptr;
        const char* mEnd = nullptr;
        std::int64_t mCol = -1;
        const Segments* mSegments = nullptr;
        Segments::const_iterator mNext;
    };

    CellStore() = default;
    CellStore(const CellStore&) = delete;
    CellStore& operator=(const CellStore&) = delete;
    CellStore(CellStore&&) noexcept = default;
    CellStore& operator=(CellStore&&) noexcept = default;
    ~CellStore() = default;

    // Negative positions read as empty.
    [[nodiscard]] std::string Get(std::int32_t col, std::int32_t row) const;
    // The same text, valid until the store next changes.
    [[nodiscard]] std::string_view View(std::int32_t col, std::int32_t row) const noexcept;
    // Throws std::out_of_range for a negative position.
    void Set(std::int32_t col, std::int32_t row, std::string_view text);
    void ClearAll() noexcept;
    // Stores texts[k] at column k of row for every k, as Set on each would (empty texts store
    // nothing). A row without texts is packed in one allocation. Throws std::out_of_range for a
    // negative row.
    void SetRow(std::int32_t row, std::span<const std::string_view> texts);

    [[nodiscard]] bool Empty() const noexcept;
    // The texts of one row (nothing for a row without texts or a negative row).
    [[nodiscard]] RowEntries Entries(std::int32_t row) const noexcept;
    // The highest column of row that holds a text, or -1.
    [[nodiscard]] std::int32_t LastCol(std::int32_t row) const noexcept;
    // No row at or above this index holds a text.
    [[nodiscard]] std::int64_t RowEnd() const noexcept { return mRowEnd; }

    // For every column below colLimit, the text of row source replaces the text of row target
    // (an empty one removes it); entries of target at columns >= colLimit stay.
    void CopyRow(std::int32_t target, std::int32_t source, std::int32_t colLimit);
    // Removes every text at a column below colLimit in rows 0 .. rowLimit - 1.
    void ClearRange(std::int32_t colLimit, std::int32_t rowLimit);

    // Counts the changes: any call that may change a text gives a new value (views from View
    // and Entries are valid only while it stays the same).
    [[nodiscard]] std::uint64_t Revision() const noexcept { return mRevision; }

    // The bytes held for the texts and their bookkeeping (an estimate of the heap in use).
    [[nodiscard]] std::size_t MemoryUsage() const noexcept;

private:
    struct RowData {
        std::string mBytes;              // the packed entries of a narrow row
        std::unique_ptr<Segments> mWide; // instead, those of a wide row
        std::int32_t mLastCol = -1;
    };
    static constexpr std::size_t SegmentBytes = 1024;
    static constexpr std::size_t WideBytes = 16384;
    static constexpr std::int32_t PageRows = 1024;
    static constexpr std::int32_t PagedRowLimit = 1 << 26;
    struct Page {
        RowData mRows[PageRows];
    };

    [[nodiscard]] const RowData* FindRow(std::int32_t row) const noexcept;
    RowData* FindRow(std::int32_t row) noexcept;
    RowData& MakeRow(std::int32_t row);
    void TrimAppendRow() noexcept;
    // Stores a non-empty text at col > data.mLastCol.
    static void AppendToRow(RowData& data, std::int32_t col, std::string_view text);
    static void MakeWide(RowData& data);
    static void ClearRow(RowData& data) noexcept;
    [[nodiscard]] static RowEntries EntriesOf(const RowData& data) noexcept;
    template <typename Visitor> void ForEachRow(std::int64_t rowLimit, Visitor&& visit);

    std::vector<std::unique_ptr<Page>> mPages;
    std::map<std::int32_t, RowData> mFarRows;
    std::int64_t mRowEnd = 0;
    // The row the last append went to; its spare capacity is given back when appends move on.
    std::int32_t mAppendRow = -1;
    // The size of the row appended before it, reserved for the next row appended to.
    std::size_t mRowSizeHint = 0;
    std::uint64_t mRevision = 0;
};

namespace detail {

// Reads one variable-length integer (7 bits per byte, low bits first). The caller guarantees
// that the bytes are a complete integer written by the store.
inline std::uint64_t ReadVarint(const char*& pos) noexcept {
    std::uint64_t value = 0;
    int shift = 0;
    for (;;) {
        const auto byte = static_cast<unsigned char>(*pos++);
        value |= std::uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80u) == 0) {
            return value;
        }
        shift += 7;
    }
}

} // namespace detail

inline bool CellStore::RowEntries::NextSegment() noexcept {
    while (mPos == mEnd) {
        if (mSegments == nullptr || mNext == mSegments->end()) {
            return false;
        }
        mPos = mNext->second.data();
        mEnd = mPos + mNext->second.size();
        mCol = std::int64_t{mNext->first} - 1;
        ++mNext;
    }
    return true;
}

inline bool CellStore::RowEntries::Next(std::int32_t& col, std::string_view& text) noexcept {
    if (mPos == mEnd && !NextSegment()) {
        return false;
    }
    mCol += static_cast<std::int64_t>(detail::ReadVarint(mPos)) + 1;
    const auto length = static_cast<std::size_t>(detail::ReadVarint(mPos));
    col = static_cast<std::int32_t>(mCol);
    text = std::string_view(mPos, length);
    mPos += length;
    return true;
}

} // namespace holiday
