// The rows of the cell store: each row's slot, in the form it holds its texts, and the walk
// over the texts of a row as read.

#include "holiday/BitCount.h"
#include "holiday/CellStore.h"
#include "holiday/VectorLoops.h"

#include <cstring>

#if MIREVO_SSE2
#include <emmintrin.h>
#endif

namespace holiday {

namespace {

// The byte after the k-th 0x00 from p (k >= 1); [p, end) holds at least k of them. Sixteen bytes
// at a time, like the reader's count (bench/README.md, "Straight into the block").
const char* SkipCells(const char* p, const char* end, std::int64_t k) noexcept {
#if MIREVO_SSE2
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
    for (; p != end; ++p) {
        if (*p == '\0' && --k == 0) {
            return p + 1;
        }
    }
    return end;
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

std::int32_t CellStore::RowSlot::LastCol() const noexcept {
    if (const auto* raw = std::get_if<AsRead>(&mForm)) {
        return raw->LastCol;
    }
    const detail::PackedRow* packed = Packed();
    return packed != nullptr ? packed->LastCol() : -1;
}

std::string_view CellStore::RowSlot::Raw() const noexcept {
    const auto* raw = std::get_if<AsRead>(&mForm);
    return raw != nullptr ? std::string_view(raw->Bytes, raw->Size) : std::string_view();
}

void CellStore::RowSlot::SetPacked(detail::PackedRow row) {
    if (row.LastCol() < 0) {
        Reset();
    } else {
        mForm = std::make_unique<detail::PackedRow>(std::move(row));
    }
}

std::string_view CellStore::RowSlot::View(std::int32_t col) const noexcept {
    const auto* raw = std::get_if<AsRead>(&mForm);
    if (raw == nullptr) {
        const detail::PackedRow* packed = Packed();
        return packed != nullptr ? packed->View(col) : std::string_view();
    }
    if (col < 0 || col > raw->LastCol) {
        return {};
    }
    const char* p = raw->Bytes;
    const char* const end = raw->Bytes + raw->Size;
    if (col > 0) {
        p = SkipCells(p, end, col);
    }
    const char* stop =
        col == raw->LastCol
            ? end
            : static_cast<const char*>(std::memchr(p, '\0', static_cast<std::size_t>(end - p)));
    return {p, static_cast<std::size_t>(stop - p)};
}

CellStore::RowEntries CellStore::RowSlot::Entries() const noexcept {
    if (const auto* raw = std::get_if<AsRead>(&mForm)) {
        return RowEntries(raw->Bytes, raw->Bytes + raw->Size, raw->LastCol);
    }
    const detail::PackedRow* packed = Packed();
    return packed != nullptr ? RowEntries(packed->Walk()) : RowEntries();
}

detail::PackedRow& CellStore::RowSlot::MakePacked() {
    if (detail::PackedRow* packed = Packed()) {
        return *packed;
    }
    auto packed = std::make_unique<detail::PackedRow>();
    if (const auto* raw = std::get_if<AsRead>(&mForm)) {
        if (raw->Size > detail::PackedRow::WideBytes) { // one huge cell
            *packed = detail::PackedRow::OneCell(Raw());
        } else {
            packed->Reserve(raw->Size + 2 * static_cast<std::size_t>(raw->LastCol) + 8);
            std::int32_t col = 0;
            std::string_view text;
            for (RowEntries it = Entries(); it.Next(col, text);) {
                packed->Append(col, text);
            }
        }
    }
    detail::PackedRow& row = *packed;
    mForm = std::move(packed);
    return row;
}

} // namespace holiday
