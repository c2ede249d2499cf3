// The rows of the cell store: each row's slot, in the form it holds its texts, and the walk
// over the texts of a row as read.

#include "holiday/BitCount.h"
#include "holiday/CellStore.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace holiday {

namespace {

// The byte after the k-th 0x00 from p (k >= 1); [p, end) holds at least k of them.
const char* SkipCells(const char* p, const char* end, std::int64_t k) noexcept {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        auto zeros = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), zero)));
        const int n = detail::CountBits16(zeros);
        if (n >= k) {
            for (; k > 1; --k) {
                zeros &= zeros - 1;
            }
            return p + __builtin_ctz(zeros) + 1;
        }
        k -= n;
        p += 16;
    }
#endif
    for (;; ++p) {
        if (*p == '\0' && --k == 0) {
            return p + 1;
        }
    }
}

} // namespace

// --- RowEntries of a row as read ---

bool CellStore::RowEntries::NextRaw(std::int32_t& col, std::string_view& text) noexcept {
    while (mCol < mRawLastCol) {
        ++mCol;
        // The last cell ends the bytes; every other one ends at its 0x00.
        const char* stop = mCol == mRawLastCol
                               ? mEnd
                               : static_cast<const char*>(std::memchr(
                                     mPos, '\0', static_cast<std::size_t>(mEnd - mPos)));
        const std::string_view cell(mPos, static_cast<std::size_t>(stop - mPos));
        mPos = stop == mEnd ? mEnd : stop + 1;
        if (!cell.empty()) {
            col = static_cast<std::int32_t>(mCol);
            text = cell;
            return true;
        }
    }
    return false;
}

// --- RowSlot ---

CellStore::RowSlot::RowSlot(RowSlot&& other) noexcept
    : mRaw(other.mRaw), mSize(other.mSize), mLastCol(other.mLastCol) {
    other.mRaw = nullptr;
    other.mSize = 0;
    other.mLastCol = -1;
}

CellStore::RowSlot& CellStore::RowSlot::operator=(RowSlot&& other) noexcept {
    if (this != &other) {
        Reset();
        mRaw = other.mRaw;
        mSize = other.mSize;
        mLastCol = other.mLastCol;
        other.mRaw = nullptr;
        other.mSize = 0;
        other.mLastCol = -1;
    }
    return *this;
}

std::int32_t CellStore::RowSlot::LastCol() const noexcept {
    return mSize == OwnedMark ? mPacked->LastCol : mLastCol;
}

void CellStore::RowSlot::SetPacked(std::unique_ptr<detail::PackedRow> row) noexcept {
    Reset();
    if (row && row->LastCol >= 0) {
        mPacked = row.release();
        mSize = OwnedMark;
    }
}

std::string_view CellStore::RowSlot::View(std::int32_t col) const noexcept {
    if (mSize == OwnedMark) {
        return mPacked->View(col);
    }
    if (col < 0 || col > mLastCol) {
        return {};
    }
    const char* p = mRaw;
    const char* const end = mRaw + mSize;
    if (col > 0) {
        p = SkipCells(p, end, col);
    }
    const char* stop =
        col == mLastCol
            ? end
            : static_cast<const char*>(std::memchr(p, '\0', static_cast<std::size_t>(end - p)));
    return {p, static_cast<std::size_t>(stop - p)};
}

CellStore::RowEntries CellStore::RowSlot::Entries() const noexcept {
    if (mSize == OwnedMark) {
        if (mPacked->Wide) {
            return RowEntries(*mPacked->Wide);
        }
        const std::string& bytes = mPacked->Bytes;
        return RowEntries(bytes.data(), bytes.data() + bytes.size(), -1);
    }
    if (mLastCol < 0) {
        return {};
    }
    return RowEntries(mRaw, mRaw + mSize, mLastCol);
}

detail::PackedRow& CellStore::RowSlot::MakePacked() {
    if (mSize == OwnedMark) {
        return *mPacked;
    }
    auto packed = std::make_unique<detail::PackedRow>();
    if (mSize > detail::PackedRow::WideBytes) { // one huge cell: straight into a segment
        packed->Wide = std::make_unique<detail::Segments>();
        detail::AppendEntry((*packed->Wide)[0], 0, Raw());
        packed->LastCol = 0;
    } else if (mLastCol >= 0) {
        packed->Bytes.reserve(mSize + 2 * static_cast<std::size_t>(mLastCol) + 8);
        std::int32_t col = 0;
        std::string_view text;
        for (RowEntries it = Entries(); it.Next(col, text);) {
            packed->Append(col, text);
        }
    }
    Reset();
    mPacked = packed.release();
    mSize = OwnedMark;
    return *mPacked;
}

void CellStore::RowSlot::Trim() noexcept {
    if (mSize != OwnedMark || mPacked->Wide) {
        return;
    }
    std::string& bytes = mPacked->Bytes;
    if (bytes.capacity() > bytes.size() + bytes.size() / 8 + 16) {
        try {
            bytes.shrink_to_fit();
        } catch (...) { // keeping the spare capacity is harmless
        }
    }
}

} // namespace holiday
