#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace holiday::detail {

// Reads one variable-length integer (7 bits a byte, low bits first). The caller guarantees that
// the bytes are a complete integer written by EncodeVarint.
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

// Writes value into bytes (room for 10); returns the number of bytes written.
std::size_t EncodeVarint(char* bytes, std::uint64_t value) noexcept;

// The walk over one run of packed entries (a narrow row, or one segment of a wide one): per
// entry the column distance to the previous entry minus one and the text length as
// variable-length integers, then the text bytes. Every loop over packed entries goes through it.
class PackedEntryCursor {
public:
    // bytes holds whole entries; the first one's distance counts from column base.
    PackedEntryCursor(std::string_view bytes, std::int64_t base) noexcept
        : mBegin(bytes.data()), mNext(bytes.data()), mEnd(bytes.data() + bytes.size()), mCol(base) {
    }

    // Moves to the next entry; false once the run is exhausted (the position stays at its end).
    bool Next() noexcept {
        if (mNext == mEnd) {
            mStart = mLengthStart = mTextStart = mNext;
            return false;
        }
        mStart = mNext;
        const char* p = mNext;
        mDelta = ReadVarint(p);
        mCol += static_cast<std::int64_t>(mDelta) + 1;
        mLengthStart = p;
        const auto length = static_cast<std::size_t>(ReadVarint(p));
        mTextStart = p;
        mNext = p + length;
        return true;
    }

    [[nodiscard]] std::int64_t Col() const noexcept { return mCol; }
    [[nodiscard]] std::uint64_t Delta() const noexcept { return mDelta; }
    [[nodiscard]] std::string_view Text() const noexcept {
        return {mTextStart, static_cast<std::size_t>(mNext - mTextStart)};
    }
    // Offsets in the run of the entry's distance, its length, its text and one past its text.
    [[nodiscard]] std::size_t Start() const noexcept { return Offset(mStart); }
    [[nodiscard]] std::size_t LengthStart() const noexcept { return Offset(mLengthStart); }
    [[nodiscard]] std::size_t TextStart() const noexcept { return Offset(mTextStart); }
    [[nodiscard]] std::size_t End() const noexcept { return Offset(mNext); }
    // The bytes of the entries after this one.
    [[nodiscard]] std::size_t BytesLeft() const noexcept {
        return static_cast<std::size_t>(mEnd - mNext);
    }

private:
    [[nodiscard]] std::size_t Offset(const char* p) const noexcept {
        return static_cast<std::size_t>(p - mBegin);
    }
    const char* mBegin;
    const char* mNext;
    const char* mEnd;
    const char* mStart = nullptr;
    const char* mLengthStart = nullptr;
    const char* mTextStart = nullptr;
    std::int64_t mCol;
    std::uint64_t mDelta = 0;
};

// The texts of one row in memory of the row's own, packed as PackedEntryCursor reads them, in
// ascending column order, empty texts never stored. A row that outgrows WideBytes is cut into
// segments of about SegmentBytes, kept in a sorted map by their first column (the first segment
// starts at column 0), so reading or changing a cell costs O(log n) in the row's width plus one
// segment (bench/README.md, "Wide rows"). LastCol is always the column of the last entry, and a row
// never holds an empty text.
class PackedRow {
public:
    static constexpr std::size_t SegmentBytes = 1024;
    static constexpr std::size_t WideBytes = 16384;

    using Segments = std::map<std::int32_t, std::string>;

    // The texts of a row in column order, across its segments.
    class Entries {
    public:
        Entries() noexcept : mCursor({}, -1) {}
        // Moves to the next entry; false once the row is exhausted.
        bool Next(std::int32_t& col, std::string_view& text) noexcept {
            while (!mCursor.Next()) {
                if (mSegments == nullptr || mNextSegment == mSegments->end()) {
                    return false;
                }
                mCursor =
                    PackedEntryCursor(mNextSegment->second, std::int64_t{mNextSegment->first} - 1);
                ++mNextSegment;
            }
            col = static_cast<std::int32_t>(mCursor.Col());
            text = mCursor.Text();
            return true;
        }
        // The bytes of the entries left to walk; SIZE_MAX for a wide row.
        [[nodiscard]] std::size_t SizeLeft() const noexcept {
            return mSegments != nullptr ? SIZE_MAX : mCursor.BytesLeft();
        }

    private:
        friend class PackedRow;
        explicit Entries(std::string_view bytes) noexcept : mCursor(bytes, -1) {}
        explicit Entries(const Segments& segments) noexcept
            : mCursor({}, -1), mSegments(&segments), mNextSegment(segments.begin()) {}
        PackedEntryCursor mCursor;
        const Segments* mSegments = nullptr;
        Segments::const_iterator mNextSegment;
    };

    PackedRow() = default;
    PackedRow(const PackedRow& other);
    PackedRow& operator=(const PackedRow&) = delete;
    PackedRow(PackedRow&&) noexcept = default;
    PackedRow& operator=(PackedRow&&) noexcept = default;
    ~PackedRow() = default;

    // texts[k] at column k for every k (empty texts store nothing), in one allocation.
    [[nodiscard]] static PackedRow FromTexts(std::span<const std::string_view> texts);
    // One text of any length at column 0.
    [[nodiscard]] static PackedRow OneCell(std::string_view text);

    // The highest column with a text, or -1 for a row without texts.
    [[nodiscard]] std::int32_t LastCol() const noexcept { return mLastCol; }
    [[nodiscard]] bool IsWide() const noexcept { return mWide != nullptr; }
    // The bytes of a narrow row's entries (0 for a wide row).
    [[nodiscard]] std::size_t NarrowBytes() const noexcept { return mBytes.size(); }
    [[nodiscard]] Entries Walk() const noexcept {
        return mWide ? Entries(*mWide) : Entries(mBytes);
    }

    // The text at col, or empty; valid until the row changes.
    [[nodiscard]] std::string_view View(std::int32_t col) const noexcept;
    // Stores a non-empty text at col > LastCol().
    void Append(std::int32_t col, std::string_view text);
    // Stores text at col (the empty text removes the entry). text must not lie in this row.
    void Set(std::int32_t col, std::string_view text);
    // Whether text lies in bytes of this row that Set(col, ...) could move.
    [[nodiscard]] bool Holds(std::int32_t col, std::string_view text) const noexcept;

    // Room for bytes of entries in a narrow row, so that appends up to it take no allocation.
    void Reserve(std::size_t bytes);
    // Gives back a narrow row's spare room when it is more than an eighth of its size.
    void Trim() noexcept;

    // The heap this row takes beyond its own object (an estimate; see CellStore::MemoryUsage).
    [[nodiscard]] std::size_t HeapBytes() const noexcept;

private:
    // Cuts a narrow row into segments.
    void MakeWide();

    std::string mBytes;              // the entries of a narrow row
    std::unique_ptr<Segments> mWide; // instead, those of a wide row
    std::int32_t mLastCol = -1;
};

// The heap block glibc's malloc gives for size bytes: the size and 8 bytes of its own, rounded
// up to 16, at least 32.
[[nodiscard]] constexpr std::size_t HeapBlockBytes(std::size_t size) noexcept {
    const std::size_t block = (size + 8 + 15) / 16 * 16;
    return block < 32 ? 32 : block;
}

} // namespace holiday::detail
