#include "holiday/HolidayFileParser.h"

#include "holiday/BitCount.h"
#include "holiday/Exception.h"
#include "holiday/Utf8.h"
#include "holiday/VectorLoops.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if MIREVO_SSE2
#include <emmintrin.h>
#endif

namespace holiday {

namespace {

// The least block size when the input's size is not known.
constexpr std::size_t MinBlockSize = std::size_t{1} << 20;
// A row whose bytes read so far pass this is stored cell by cell as its cells end, so that no
// row, however long, is stored in one step after its end is read: the work of each Commit
// stays in proportion to the bytes it hands over.
constexpr std::size_t LongRowBytes = std::size_t{1} << 20;

// The 0x00 bytes in [p, end): sixteen bytes at a time, their counts summed per lane (at most
// 255 blocks before the sums are taken); the last few bytes in one block that overlaps the ones
// already counted.
std::int64_t CountZeros(const char* p, const char* end) noexcept {
    std::int64_t count = 0;
    const char* q = p;
#if MIREVO_SSE2
    const __m128i zero = _mm_setzero_si128();
    while (end - q >= 16) {
        __m128i sums = zero;
        for (int blocks = 0; blocks < 255 && end - q >= 16; ++blocks, q += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
            sums = _mm_sub_epi8(sums, _mm_cmpeq_epi8(bytes, zero));
        }
        const __m128i total = _mm_sad_epu8(sums, zero);
        count += _mm_cvtsi128_si32(total) + _mm_cvtsi128_si32(_mm_srli_si128(total, 8));
    }
    if (q != end && end - p >= 16) {
        const auto left = static_cast<unsigned>(end - q);
        const auto zeros = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16)), zero)));
        return count + detail::CountBits16(zeros >> (16 - left));
    }
#endif
    for (; q < end; ++q) {
        count += *q == '\0' ? 1 : 0;
    }
    return count;
}

std::int32_t ToCount(std::int64_t n) {
    if (n > std::numeric_limits<std::int32_t>::max()) {
        throw EInvalidGridOperation("Gitter zu groß für Operation");
    }
    return static_cast<std::int32_t>(n);
}

} // namespace

HolidayFileParser::HolidayFileParser(HolidayTable& table, std::size_t expectedSize,
                                     TextEncoding encoding)
    : mTable(table), mBatch(table), mExpected(expectedSize),
      mCheckUtf8(encoding == TextEncoding::Utf8) {}

HolidayFileParser::~HolidayFileParser() {
    DropUnusedBlock();
}

void HolidayFileParser::DropUnusedBlock() noexcept {
    if (mBlock != nullptr && mBlockRows == 0) {
        mTable.DropRowBlock(mBlock);
    }
    mBlock = nullptr;
}

char* HolidayFileParser::Room(std::size_t wanted) {
    if (mBlock != nullptr && mBlockSize - mFilled >= wanted) {
        return mBlock + mFilled;
    }
    // A new block, which takes over the row being read; the old one stays with the rows it
    // gave the table.
    const std::size_t tail = mFilled - mRowStart;
    std::size_t size = std::max(MinBlockSize, 2 * (tail + wanted));
    if (mBlock == nullptr && mExpected >= wanted) {
        size = mExpected;
    }
    char* block = mTable.NewRowBlock(size);
    if (tail > 0) {
        std::memcpy(block, mBlock + mRowStart, tail);
    }
    DropUnusedBlock();
    mValidTo = nullptr;
    mBlock = block;
    mBlockSize = size;
    mFilled = tail;
    mRowStart = 0;
    mBlockRows = 0;
    return mBlock + mFilled;
}

void HolidayFileParser::Commit(std::size_t n) {
    mFilled += n;
    const char* const end = mBlock + mFilled;
    while (ScanRow(mBlock + mRowStart, end)) {
        StoreRow(mBlock + mRowStart);
        mRowStart += mScan.Scanned + 1;
        mScan = RowScan{};
    }
    if (mScan.Scanned > LongRowBytes && mScan.Zeros > 0) {
        StoreEndedCells();
    }
    GrowCounts();
}

void HolidayFileParser::StoreEndedCells() {
    const char* const row = mBlock + mRowStart;
    const char* lastEnd = row + mScan.Scanned;
    while (lastEnd[-1] != '\0') {
        --lastEnd;
    }
    GrowCounts();
    const std::int64_t cellsBefore = mCell;
    StoreCells(row, lastEnd, false);
    const auto stored = static_cast<std::size_t>(lastEnd - row);
    mRowStart += stored;
    mRowStored += stored;
    mScan.Scanned -= stored;
    mScan.Zeros -= mCell - cellsBefore;
}

bool HolidayFileParser::ScanRow(const char* row, const char* end) noexcept {
    RowScan& s = mScan;
    const char* const from = row + s.Scanned;
    const void* found = std::memchr(from, '\x01', static_cast<std::size_t>(end - from));
    const char* const stop = found != nullptr ? static_cast<const char*>(found) : end;
    s.Zeros += CountZeros(from, stop);
    s.Scanned = static_cast<std::size_t>(stop - row);
    return found != nullptr;
}

void HolidayFileParser::StoreRow(const char* row) {
    const std::int64_t cells = mScan.Zeros + 1;
    // A long row whose first cells are stored already goes on cell by cell; so do rows that
    // reach a count limit, which that path fails where it must.
    if (mCell > 0 || mRow >= HolidayTable::MaxCount || cells > HolidayTable::MaxCount) {
        GrowCounts();
        StoreCells(row, row + mScan.Scanned, true);
        mRowStored = 0;
        return;
    }
    const auto index = static_cast<std::int32_t>(mRow - 1);
    // The cells after the last one with bytes are the 0x00 bytes before the row's end.
    const char* filledEnd = row + mScan.Scanned;
    while (filledEnd != row && filledEnd[-1] == '\0') {
        --filledEnd;
    }
    const auto filledSize = static_cast<std::size_t>(filledEnd - row);
    const auto lastCol =
        filledSize == 0
            ? -1
            : static_cast<std::int32_t>(mScan.Zeros - (row + mScan.Scanned - filledEnd));
    // The delimiters are no continuation bytes, so a well-formed row has well-formed cells.
    const char* const rowEnd = row + mScan.Scanned;
    const std::string_view bytes(row, mScan.Scanned);
    const bool wellFormed = !mCheckUtf8 || WellFormedRow(row, rowEnd);
    const CellStore& store = mTable.Cells();
    const bool overTexts = index < store.RowEnd() && store.LastCol(index) >= 0;
    if (wellFormed && !overTexts && CellStore::Adoptable(filledSize, lastCol)) {
        mTable.AdoptRow(index, row, filledSize, lastCol);
        ++mBlockRows;
    } else if (lastCol >= 0 || overTexts) {
        mTexts.clear();
        for (const char* start = row;;) {
            const void* zero = std::memchr(start, '\0', static_cast<std::size_t>(rowEnd - start));
            const char* stop = zero != nullptr ? static_cast<const char*>(zero) : rowEnd;
            const std::string_view cell(start, static_cast<std::size_t>(stop - start));
            if (wellFormed || IsWellFormedUtf8(cell)) {
                mTexts.push_back(cell);
            } else {
                mTexts.emplace_back();
                mLosses.IllFormedCells.push_back(
                    {static_cast<std::int32_t>(mTexts.size() - 1), index});
            }
            if (zero == nullptr) {
                break;
            }
            start = stop + 1;
        }
        mTable.SetRowCells(index, mTexts);
    }
    // The counts only grow, and below their limits, so they may follow a little later.
    mNeededCols = std::max(mNeededCols, static_cast<std::int32_t>(cells));
    mNeededRows = std::max(mNeededRows, index + 2);
    ++mRow;
}

bool HolidayFileParser::WellFormedRow(const char* row, const char* rowEnd) noexcept {
    // One check covers the rows from row up to the first fault (or the bytes read so far):
    // each row starts after a delimiter, so where a row ends a sequence ends too.
    auto check = [this](const char* from) {
        const char* const end = mBlock + mFilled;
        const Utf8Check result =
            CheckUtf8(std::string_view(from, static_cast<std::size_t>(end - from)));
        mValidTo = from + result.WellFormedBytes;
        mFaultAtValidTo = !result.Truncated && mValidTo != end;
    };
    if (mValidTo == nullptr || row > mValidTo) {
        check(row);
    } else if (rowEnd > mValidTo && !mFaultAtValidTo) {
        check(mValidTo); // the check had stopped at the end of what was read then
    }
    return rowEnd <= mValidTo;
}

void HolidayFileParser::StoreCells(const char* row, const char* end, bool endsRow) {
    for (const char* start = row;;) {
        const void* zero = std::memchr(start, '\0', static_cast<std::size_t>(end - start));
        if (zero == nullptr) {
            if (endsRow) {
                EndCell(std::string_view(start, static_cast<std::size_t>(end - start)), true);
            }
            return;
        }
        const auto* stop = static_cast<const char*>(zero);
        EndCell(std::string_view(start, static_cast<std::size_t>(stop - start)), false);
        start = stop + 1;
    }
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
    const bool wellFormed = !mCheckUtf8 || IsWellFormedUtf8(bytes);
    if (!wellFormed && !mUnfinishedStored) {
        mLosses.IllFormedCells.push_back({col, row});
    }
    mTable.SetCell(col, row, wellFormed ? bytes : std::string_view());
    if (endsRow) {
        ++mRow;
        if (mTable.RowCount() < mRow) {
            mTable.SetRowCount(ToCount(mRow));
        }
        mCell = 0;
    }
}

void HolidayFileParser::StoreUnfinishedCells() {
    if (mUnfinishedStored) {
        return;
    }
    mUnfinishedStored = true;
    if (mBlock != nullptr && mFilled > mRowStart) {
        GrowCounts();
        StoreCells(mBlock + mRowStart, mBlock + mFilled, false);
    }
}

void HolidayFileParser::Finish() {
    // The cells of the unfinished row stay beyond the counts, unseen: all of its bytes count
    // as not read.
    const std::size_t unfinished = mBlock != nullptr ? mFilled - mRowStart + mRowStored : 0;
    if (unfinished > 0) {
        mLosses.UnreadBytes = unfinished;
        mLosses.NoRowEnd = mRow == 1;
    }
    // So are the faults of the cells of a long unfinished row that were stored as they ended.
    std::vector<GridCoord>& faults = mLosses.IllFormedCells;
    while (!faults.empty() && faults.back().Row == mRow - 1) {
        faults.pop_back();
    }
    StoreUnfinishedCells();
    GrowCounts();
    mTable.SetRowCount(mTable.RowCount() - 1);
    DropUnusedBlock();
}

} // namespace holiday
