#include "holiday/HolidayFileParser.h"

#include "holiday/Exception.h"
#include "holiday/Utf8.h"

#include <cstring>
#include <limits>

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

std::int32_t ToCount(std::int64_t n) {
    if (n > std::numeric_limits<std::int32_t>::max()) {
        throw EInvalidGridOperation("Gitter zu groß für Operation");
    }
    return static_cast<std::int32_t>(n);
}

} // namespace

HolidayFileParser::HolidayFileParser(HolidayTable& table) : mTable(table) {
    mPending.reserve(PendingRoom);
}

void HolidayFileParser::Feed(const char* data, std::size_t size) {
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        const char* delimiter = FindDelimiter(p, end);
        if (delimiter == end) {
            mPending.append(p, end); // grows geometrically: any length costs linear time
            return;
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
        p = delimiter + 1;
    }
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
    mPending.clear();
    mTable.SetRowCount(mTable.RowCount() - 1);
}

} // namespace holiday
