#include "holiday/HolidayFileParser.h"

#include "holiday/Exception.h"
#include "holiday/Utf8.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace holiday {

namespace {

// The first byte in [p, end) that is 0x00 or 0x01, or end.
const char* FindDelimiter(const char* p, const char* end) noexcept {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    while (end - p >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, sizeof word);
        // Non-zero when some byte of word is below 2.
        if (((word - 2 * ones) & ~word & highs) != 0) {
            break;
        }
        p += 8;
    }
    while ((p < end) && (static_cast<unsigned char>(*p) > 1)) {
        ++p;
    }
    return p;
}

// Scans the row that starts at p: appends every 0x00 before the first 0x01 to cellEnds and
// returns that 0x01, or nullptr when [p, end) holds none. ascii tells whether the bytes before
// it are all below 0x80.
const char* ScanRow(const char* p, const char* end, std::vector<const char*>& cellEnds,
                    bool& ascii) {
    unsigned high = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi8(1);
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        auto zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)));
        const auto ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, one)));
        auto highs = static_cast<unsigned>(_mm_movemask_epi8(bytes));
        if (ends != 0) {
            const unsigned before = (1u << __builtin_ctz(ends)) - 1;
            zeros &= before;
            highs &= before;
        }
        high |= highs;
        while (zeros != 0) {
            cellEnds.push_back(p + __builtin_ctz(zeros));
            zeros &= zeros - 1;
        }
        if (ends != 0) {
            ascii = high == 0;
            return p + __builtin_ctz(ends);
        }
        p += 16;
    }
#endif
    for (; p < end; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte == 1) {
            ascii = high == 0;
            return p;
        }
        if (byte == 0) {
            cellEnds.push_back(p);
        }
        high |= byte & 0x80u;
    }
    return nullptr;
}

std::int32_t ToCount(std::int64_t n) {
    if (n > std::numeric_limits<std::int32_t>::max()) {
        throw EInvalidGridOperation("Gitter zu groß für Operation");
    }
    return static_cast<std::int32_t>(n);
}

} // namespace

HolidayFileParser::HolidayFileParser(HolidayTable& table) : mTable(table), mBatch(table) {
    mPending.reserve(PendingRoom);
}

void HolidayFileParser::Feed(const char* data, std::size_t size) {
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        if (mCell == 0 && mPending.empty()) {
            mCellEnds.clear();
            bool ascii = false;
            const char* rowEnd = ScanRow(p, end, mCellEnds, ascii);
            if (rowEnd != nullptr && StoreWholeRow(p, rowEnd, ascii)) {
                p = rowEnd + 1;
                continue;
            }
        }
        GrowCounts();
        p = FeedCell(p, end);
    }
    GrowCounts();
}

bool HolidayFileParser::StoreWholeRow(const char* begin, const char* rowEnd, bool ascii) {
    const std::size_t cells = mCellEnds.size() + 1;
    // Rows that reach a count limit take the cell-by-cell path, which fails where it must.
    if (mRow >= HolidayTable::MaxCount ||
        cells > static_cast<std::size_t>(HolidayTable::MaxCount)) {
        return false;
    }
    // The delimiters are no continuation bytes, so a well-formed row has well-formed cells;
    // only a row that is not needs its cells checked one by one.
    const bool checkCells =
        !ascii &&
        !IsWellFormedUtf8(std::string_view(begin, static_cast<std::size_t>(rowEnd - begin)));
    mTexts.resize(cells);
    const char* start = begin;
    for (std::size_t k = 0; k < cells; ++k) {
        const char* stop = k + 1 < cells ? mCellEnds[k] : rowEnd;
        const std::string_view bytes(start, static_cast<std::size_t>(stop - start));
        mTexts[k] = !checkCells || IsWellFormedUtf8(bytes) ? bytes : std::string_view();
        start = stop + 1;
    }
    // The counts only grow, and below their limits, so they may follow a little later.
    const auto row = static_cast<std::int32_t>(mRow);
    mNeededCols = std::max(mNeededCols, static_cast<std::int32_t>(cells));
    mNeededRows = std::max(mNeededRows, row + 1);
    mTable.SetRowCells(row - 1, mTexts);
    ++mRow;
    return true;
}

void HolidayFileParser::GrowCounts() {
    if (mTable.ColCount() < mNeededCols) {
        mTable.SetColCount(mNeededCols);
    }
    if (mTable.RowCount() < mNeededRows) {
        mTable.SetRowCount(mNeededRows);
    }
    mNeededCols = 0;
    mNeededRows = 0;
}

const char* HolidayFileParser::FeedCell(const char* p, const char* end) {
    const char* delimiter = FindDelimiter(p, end);
    if (delimiter == end) {
        mPending.append(p, end); // grows geometrically: any length costs linear time
        return end;
    }
    const bool endsRow = *delimiter == '\x01';
    if (mPending.empty()) {
        EndCell(std::string_view(p, static_cast<std::size_t>(delimiter - p)), endsRow);
    } else {
        mPending.append(p, delimiter);
        EndCell(mPending, endsRow);
        if (mPending.capacity() > PendingRoom) {
            std::string room;
            room.reserve(PendingRoom);
            mPending.swap(room);
        } else {
            mPending.clear();
        }
    }
    return delimiter + 1;
}

void HolidayFileParser::EndCell(std::string_view bytes, bool endsRow) {
    ++mCell;
    if (!endsRow && mTable.RowCount() < mRow) {
        mTable.SetRowCount(ToCount(mRow));
    }
    if (mTable.ColCount() < mCell) {
        mTable.SetColCount(ToCount(mCell));
    }
    const auto col = static_cast<std::int32_t>(mCell - 1);
    const auto row = static_cast<std::int32_t>(mRow - 1);
    mTable.SetCell(col, row, IsWellFormedUtf8(bytes) ? bytes : std::string_view());
    if (endsRow) {
        ++mRow;
        if (mTable.RowCount() < mRow) {
            mTable.SetRowCount(ToCount(mRow));
        }
        mCell = 0;
    }
}

void HolidayFileParser::Finish() {
    GrowCounts();
    mPending.clear();
    mTable.SetRowCount(mTable.RowCount() - 1);
}

} // namespace holiday
