#pragma once

#include "holiday/PackedRow.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace holiday {

// The sparse map from a cell position (column >= 0, row >= 0) to its UTF-8 text. A position
// without an entry reads as the empty text; storing the empty text removes the entry. Every
// non-negative column and row index is accepted.
//
// A row's texts are held in one of two forms:
// - as read: the row's bytes as a file held them, its cells joined by 0x00 up to the last one
//   that has a text, in a block the store owns (NewBlock) and never changes. A loaded file
//   thus costs its own bytes and one small slot a row. Such a row is at most RawRowBytes long,
//   or one cell of any length, so that finding a cell stays cheap.
// - packed in memory of the row's own (detail::PackedRow): the form every change gives a
//   row, cut into segments when wide, so a cell of a row of any width costs O(log n).
// Rows below 67,108,864 live in pages of 1,024 slots; rows at or above it in a sorted map.
// Pages find any row's slot in constant time (bench/README.md, Grid: a keystroke at row 524,288).
class CellStore {
public:
    // Rows as read are at most this long, unless they hold one cell.
    static constexpr std::size_t RawRowBytes = detail::PackedRow::WideBytes;

    // Walks the texts of one row in ascending column order.
    class RowEntries {
    public:
        RowEntries() = default;
        // Moves to the next entry; false once the row is exhausted.
        bool Next(std::int32_t& col, std::string_view& text) noexcept {
            return mRawLastCol >= 0 ? NextRaw(col, text) : mPacked.Next(col, text);
        }
        // At least the bytes that the texts left to walk take; SIZE_MAX for a wide row.
        [[nodiscard]] std::size_t PackedSizeLeft() const noexcept {
            return mRawLastCol >= 0 ? static_cast<std::size_t>(mEnd - mPos) : mPacked.SizeLeft();
        }

    private:
        friend class CellStore;
        RowEntries(const char* begin, const char* end, std::int32_t rawLastCol) noexcept
            : mPos(begin), mEnd(end), mRawLastCol(rawLastCol) {}
        explicit RowEntries(const detail::PackedRow::Entries& packed) noexcept : mPacked(packed) {}
        bool NextRaw(std::int32_t& col, std::string_view& text) noexcept;
        // A row as read.
        const char* mPos = nullptr;
        const char* mEnd = nullptr;
        std::int64_t mCol = -1;
        std::int32_t mRawLastCol = -1; // >= 0 for a row as read
        // A packed row.
        detail::PackedRow::Entries mPacked;
    };

    CellStore() = default;
    CellStore(const CellStore&) = delete;
    CellStore& operator=(const CellStore&) = delete;
    CellStore(CellStore&&) noexcept = default;
    CellStore& operator=(CellStore&&) noexcept = default;
    ~CellStore() = default;

    // Takes the texts and blocks of other, which is left empty; the revision moves past both,
    // so that no view taken of either store before stays valid.
    void TakeOver(CellStore&& other) noexcept;

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

    // A block of size bytes, owned by the store until ClearAll or DropBlock, for rows as read.
    [[nodiscard]] char* NewBlock(std::size_t size);
    // Frees a block that no row uses.
    void DropBlock(const char* block) noexcept;
    // Stores the row of cells bytes[0 .. size) (cells joined by 0x00; the last one, lastCol,
    // not empty) as read, without a copy, into a row that holds no text. The bytes lie in a
    // block of NewBlock, are well-formed UTF-8, and are followed in it by 0x00 bytes and a
    // 0x01 (the row's empty cells and its end as the file had them). size is at most
    // RawRowBytes, or the row has one cell and size is below 4 GiB. Throws std::out_of_range
    // for a negative row.
    void AdoptRow(std::int32_t row, const char* bytes, std::size_t size, std::int32_t lastCol);
    // Whether a row may be stored by AdoptRow.
    [[nodiscard]] static bool Adoptable(std::size_t size, std::int32_t lastCol) noexcept {
        return lastCol >= 0 && (size <= RawRowBytes || (lastCol == 0 && size < RawSizeLimit));
    }

    [[nodiscard]] bool Empty() const noexcept;
    // The texts of one row (nothing for a row without texts or a negative row).
    [[nodiscard]] RowEntries Entries(std::int32_t row) const noexcept;
    // The highest column of row that holds a text, or -1.
    [[nodiscard]] std::int32_t LastCol(std::int32_t row) const noexcept;
    // No row at or above this index holds a text.
    [[nodiscard]] std::int64_t RowEnd() const noexcept { return mRowEnd; }
    // A row as read: its bytes up to the end of its last text (see AdoptRow for what follows
    // them in memory) and the column of that text; empty bytes for any other row.
    struct RawRow {
        std::string_view Bytes;
        std::int32_t LastCol = -1;
    };
    [[nodiscard]] RawRow RawBytes(std::int32_t row) const noexcept;

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
    // A row as read keeps its size in 32 bits.
    static constexpr std::size_t RawSizeLimit = UINT32_MAX;

    // One row: empty, as read (bytes in a block the store owns) or packed (owned by the slot).
    class RowSlot {
    public:
        // Bytes of a block, Size of them, up to the end of the text at LastCol (>= 0). No copy
        // and no allocation a row: bench/README.md, "Rows kept as read" (load, peak memory).
        struct AsRead {
            const char* Bytes;
            std::uint32_t Size;
            std::int32_t LastCol;
        };
        [[nodiscard]] std::int32_t LastCol() const noexcept;
        [[nodiscard]] bool IsRaw() const noexcept { return std::holds_alternative<AsRead>(mForm); }
        [[nodiscard]] const detail::PackedRow* Packed() const noexcept {
            const auto* packed = std::get_if<Owned>(&mForm);
            return packed != nullptr ? packed->get() : nullptr;
        }
        [[nodiscard]] detail::PackedRow* Packed() noexcept {
            auto* packed = std::get_if<Owned>(&mForm);
            return packed != nullptr ? packed->get() : nullptr;
        }
        // A row as read, else null.
        [[nodiscard]] const AsRead* Read() const noexcept { return std::get_if<AsRead>(&mForm); }
        // The bytes of a row as read, else empty.
        [[nodiscard]] std::string_view Raw() const noexcept;
        [[nodiscard]] std::string_view View(std::int32_t col) const noexcept;
        [[nodiscard]] RowEntries Entries() const noexcept;
        // The row packed, made from its texts as read when it is not yet.
        detail::PackedRow& MakePacked();
        void SetRaw(const char* bytes, std::size_t size, std::int32_t lastCol) noexcept {
            mForm = AsRead{bytes, static_cast<std::uint32_t>(size), lastCol};
        }
        // A row without texts leaves the slot empty.
        void SetPacked(detail::PackedRow row);
        void Reset() noexcept { mForm = std::monostate(); }

    private:
        // Never a row without texts.
        using Owned = std::unique_ptr<detail::PackedRow>;
        std::variant<std::monostate, AsRead, Owned> mForm;
    };

    static constexpr std::int32_t PageRows = 1024;
    static constexpr std::int32_t PagedRowLimit = 1 << 26;
    struct Page {
        RowSlot mRows[PageRows];
    };

    // The slot of row in self, const when self is; null when the row has none.
    template <typename Self>
    using SlotOf = std::conditional_t<std::is_const_v<Self>, const RowSlot, RowSlot>;
    template <typename Self> static SlotOf<Self>* FindRowIn(Self& self, std::int32_t row) noexcept;
    [[nodiscard]] const RowSlot* FindRow(std::int32_t row) const noexcept;
    RowSlot* FindRow(std::int32_t row) noexcept;
    RowSlot& MakeRow(std::int32_t row) {
        const auto page = static_cast<std::size_t>(row) / PageRows;
        if (row < PagedRowLimit && page < mPages.size() && mPages[page]) {
            return mPages[page]->mRows[row % PageRows];
        }
        return MakeRowSlow(row);
    }
    RowSlot& MakeRowSlow(std::int32_t row);
    void NoteRow(std::int32_t row) noexcept {
        if (row >= mRowEnd) {
            mRowEnd = std::int64_t{row} + 1;
        }
    }
    void TrimAppendRow() noexcept;
    // visit(row, slot) for every slot of self below rowLimit, in row order.
    template <typename Self, typename Visitor>
    static void ForEachRowIn(Self& self, std::int64_t rowLimit, Visitor&& visit);

    std::vector<std::unique_ptr<Page>> mPages;
    std::map<std::int32_t, RowSlot> mFarRows;
    struct FreeBlock {
        void operator()(char* block) const noexcept;
    };
    std::vector<std::unique_ptr<char, FreeBlock>> mBlocks;
    std::size_t mBlockBytes = 0;
    std::int64_t mRowEnd = 0;
    // The row the last append went to; its spare capacity is given back when appends move on.
    std::int32_t mAppendRow = -1;
    // The size of the row appended before it, reserved for the next row appended to.
    std::size_t mRowSizeHint = 0;
    std::uint64_t mRevision = 0;
};

inline void CellStore::AdoptRow(std::int32_t row, const char* bytes, std::size_t size,
                                std::int32_t lastCol) {
    ++mRevision;
    if (row < 0) {
        throw std::out_of_range("CellStore: negative row");
    }
    MakeRow(row).SetRaw(bytes, size, lastCol);
    NoteRow(row);
}

} // namespace holiday
