// The reader against the simplest reading of the format: one byte at a time, one count step and
// one SetCell per cell. Both read the same random files into tables in the same state; the
// counts, every text in the store (visible or hidden beyond the extent) and the errors must
// agree.

#include "holiday/HolidayFile.h"
#include "holiday/HolidayFileFormat.h"
#include "holiday/HolidayTable.h"
#include "holiday/Utf8.h"
#include "tests/support/TemporaryFolder.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>

namespace holiday {
namespace {

// The model: the reader's rules followed literally. The losses: the ill-formed cells of the
// rows that a 0x01 ended, and the bytes after the last 0x01.
ReadLosses SimpleLoad(HolidayTable& table, const std::string& bytes) {
    std::int32_t cell = 0;
    std::int32_t row = 1;
    std::string pending;
    ReadLosses losses;
    std::vector<GridCoord> rowFaults;
    auto commit = [&] {
        const bool wellFormed = IsWellFormedUtf8(pending);
        if (!wellFormed) {
            rowFaults.push_back({cell - 1, row - 1});
        }
        table.SetCell(cell - 1, row - 1, wellFormed ? pending : std::string());
        pending.clear();
    };
    for (const char byte : bytes) {
        if (byte == '\x00') {
            ++cell;
            if (table.RowCount() < row) {
                table.SetRowCount(row);
            }
            if (table.ColCount() < cell) {
                table.SetColCount(cell);
            }
            commit();
        } else if (byte == '\x01') {
            ++cell;
            if (table.ColCount() < cell) {
                table.SetColCount(cell);
            }
            commit();
            losses.IllFormedCells.insert(losses.IllFormedCells.end(), rowFaults.begin(),
                                         rowFaults.end());
            rowFaults.clear();
            ++row;
            if (table.RowCount() < row) {
                table.SetRowCount(row);
            }
            cell = 0;
        } else {
            pending += byte;
        }
    }
    table.SetRowCount(table.RowCount() - 1);
    const std::size_t lastEnd = bytes.rfind('\x01');
    losses.UnreadBytes = lastEnd == std::string::npos ? bytes.size() : bytes.size() - lastEnd - 1;
    losses.NoRowEnd = lastEnd == std::string::npos && !bytes.empty();
    return losses;
}

void ExpectSameLosses(const ReadLosses& read, const ReadLosses& expected, const char* how) {
    EXPECT_TRUE(read.IllFormedCells == expected.IllFormedCells) << how;
    EXPECT_EQ(read.UnreadBytes, expected.UnreadBytes) << how;
    EXPECT_EQ(read.NoRowEnd, expected.NoRowEnd) << how;
}

struct Snapshot {
    std::int32_t Cols, Rows, FixedCols, FixedRows;
    GridCoord Current;
    std::map<std::pair<std::int32_t, std::int32_t>, std::string> Texts; // (row, col)
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const HolidayTable& table) {
    Snapshot s{table.ColCount(),  table.RowCount(),    table.FixedCols(),
               table.FixedRows(), table.CurrentCell(), {}};
    for (std::int64_t r = 0; r < table.Cells().RowEnd(); ++r) {
        const auto row = static_cast<std::int32_t>(r);
        std::int32_t col = 0;
        std::string_view text;
        for (auto entries = table.Cells().Entries(row); entries.Next(col, text);) {
            s.Texts[{row, col}] = std::string(text);
            EXPECT_EQ(table.GetCell(col, row), text);
        }
    }
    return s;
}

// Random bytes with the shapes that matter: delimiters in runs, ragged and empty rows, ASCII,
// well-formed and broken UTF-8, cells longer than a block, and no final 0x01 at times.
std::string RandomFile(std::mt19937& random, std::size_t targetSize) {
    static const char* const pieces[] = {
        "a",        "Ostern", "30.11",        "+Su",          "ä",
        "€",        "𝄞",      "\xC3\x28",     "\xED\xA0\x80", "\xF4\x90\x80\x80",
        "\xE2\x82", "\x80",   "\x02\x1F\x7F", "\xEF\xBB\xBF"};
    std::string bytes;
    while (bytes.size() < targetSize) {
        const auto pick = random() % 20;
        if (pick < 5) {
            bytes += '\x00';
        } else if (pick < 7) {
            bytes += '\x01';
        } else if (pick == 7 && random() % 8 == 0) {
            bytes.append(5000 + random() % 5000, static_cast<char>('b' + random() % 20));
        } else {
            bytes += pieces[random() % std::size(pieces)];
        }
    }
    if (random() % 4 != 0) {
        bytes += '\x01';
    }
    return bytes;
}

// A table in one of the states a reader may meet: fresh from the open reset, or with texts in
// the extent and beyond it and a fixed row.
void Prepare(HolidayTable& table, int state) {
    table.ResetForOpen();
    if (state == 1) {
        table.SetColCount(9);
        table.SetRowCount(7);
        for (std::int32_t r = 0; r < 7; ++r) {
            table.SetCell(r, r, "old " + std::to_string(r));
            table.SetCell(8, r, "far");
        }
        table.SetColCount(4);
        table.SetRowCount(3);
        table.SetFixedRows(1);
    }
}

// A stream that cannot tell its size, as a pipe: read to its end in blocks of unknown number.
class PipeBuffer : public std::stringbuf {
public:
    using std::stringbuf::stringbuf;

protected:
    pos_type seekoff(off_type, std::ios_base::seekdir, std::ios_base::openmode) override {
        return pos_type(off_type(-1));
    }
};

TEST(ReaderDifferentialTest, MatchesTheByteByByteReading) {
    std::mt19937 random(20240614);
    const testsupport::TemporaryFolder folder("reader-differential");
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Mostly small files; some longer than the readers' steps of 1 MiB.
        const std::size_t size =
            round % 50 == 49 ? 1'100'000 + random() % 1'500'000 : random() % 3000;
        std::string bytes = RandomFile(random, size);
        if (round % 100 == 99) {
            // Rows of over a mebibyte, which are stored as their cells end: a first row before
            // others, the whole file as one row with its end, or without it.
            const std::size_t longRow = round == 199 ? 1'050'000 : bytes.size();
            std::replace(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(longRow),
                         '\x01', '\x00');
            if (round == 299) {
                bytes += '\x01';
            }
        }
        const int state = round % 2;

        HolidayTable model;
        Prepare(model, state);
        const ReadLosses expectedLosses = SimpleLoad(model, bytes);
        const Snapshot expected = Take(model);

        HolidayTable fromStream;
        Prepare(fromStream, state);
        std::istringstream in(bytes);
        ExpectSameLosses(LoadFromStream(fromStream, in), expectedLosses, "stream");
        ASSERT_TRUE(Take(fromStream) == expected) << "stream";

        HolidayTable fromPipe;
        Prepare(fromPipe, state);
        PipeBuffer pipe(bytes);
        std::istream piped(&pipe);
        ExpectSameLosses(LoadFromStream(fromPipe, piped), expectedLosses, "pipe");
        ASSERT_TRUE(Take(fromPipe) == expected) << "stream without a size";

        const std::string path = folder.At("random.hol");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        HolidayTable fromFile;
        Prepare(fromFile, state);
        ExpectSameLosses(LoadFromFile(fromFile, path), expectedLosses, "file");
        ASSERT_TRUE(Take(fromFile) == expected) << "file";

        // Rows kept as read are written as the rows of the model, which holds copies.
        // So are they once the table is narrower than they are.
        for (const std::int32_t cols : {model.ColCount(), 2}) {
            if (std::int64_t{cols} * model.RowCount() < 1'000'000) {
                model.SetColCount(cols);
                fromFile.SetColCount(cols);
                std::ostringstream fromModel, fromRead;
                SaveToStream(model, fromModel);
                SaveToStream(fromFile, fromRead);
                ASSERT_TRUE(fromRead.str() == fromModel.str()) << "written, " << cols;
            }
        }
    }
}

} // namespace
} // namespace holiday
