#include "holiday/HolidayFileFormat.h"

#include "holiday/Exception.h"
#include "holiday/HolidayFileParser.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <memory>
#include <ostream>

namespace holiday {

namespace {

constexpr const char* StreamWriteFailed =
    "Der Datenstrom konnte nicht vollständig geschrieben werden";
constexpr const char* StreamReadFailed = "Der Datenstrom konnte nicht vollständig gelesen werden";

// Collects the bytes of the file and hands them to flush in large chunks.
class ChunkedOutput {
public:
    explicit ChunkedOutput(const detail::ChunkSink& flush)
        : mFlush(flush), mBuffer(new char[Capacity]) {}

    void Put(std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t n = std::min(bytes.size(), Capacity - mUsed);
            std::memcpy(mBuffer.get() + mUsed, bytes.data(), n);
            mUsed += n;
            bytes.remove_prefix(n);
            if (mUsed == Capacity) {
                Flush();
            }
        }
    }
    void PutByte(char byte) {
        mBuffer[mUsed++] = byte;
        if (mUsed == Capacity) {
            Flush();
        }
    }
    void PutRepeated(char byte, std::int64_t count) {
        while (count > 0) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(count, static_cast<std::int64_t>(Capacity - mUsed)));
            std::memset(mBuffer.get() + mUsed, byte, n);
            mUsed += n;
            count -= static_cast<std::int64_t>(n);
            if (mUsed == Capacity) {
                Flush();
            }
        }
    }
    void Flush() {
        if (mUsed > 0) {
            mFlush(mBuffer.get(), mUsed);
            mUsed = 0;
        }
    }

private:
    static constexpr std::size_t Capacity = 1 << 18;
    const detail::ChunkSink& mFlush;
    std::unique_ptr<char[]> mBuffer;
    std::size_t mUsed = 0;
};

// RowCount rows of ColCount cells: 0x00 between two cells, 0x01 after each row.
void WriteRows(const HolidayTable& table, ChunkedOutput& out) {
    const std::int32_t cols = table.ColCount();
    const std::int32_t rows = table.RowCount();
    const CellStore& cells = table.Cells();
    for (std::int32_t r = 0; r < rows; ++r) {
        std::int64_t next = 0; // the first column not yet written
        if (r < cells.RowEnd()) {
            std::int32_t col = 0;
            std::string_view text;
            for (auto entries = cells.Entries(r); entries.Next(col, text) && col < cols;) {
                out.PutRepeated('\x00', col - next);
                out.Put(text);
                if (col != cols - 1) {
                    out.PutByte('\x00');
                }
                next = std::int64_t{col} + 1;
            }
        }
        if (next < cols) {
            out.PutRepeated('\x00', cols - 1 - next);
        }
        out.PutByte('\x01');
    }
    out.Flush();
}

} // namespace

namespace detail {

void WriteTable(const HolidayTable& table, const ChunkSink& sink) {
    ChunkedOutput output(sink);
    WriteRows(table, output);
}

} // namespace detail

void SaveToStream(const HolidayTable& table, std::ostream& out, TextEncoding) {
    detail::WriteTable(table, [&out](const char* data, std::size_t size) {
        if (!out.write(data, static_cast<std::streamsize>(size))) {
            throw EFCreateError(StreamWriteFailed);
        }
    });
}

void LoadFromStream(HolidayTable& table, std::istream& in, TextEncoding) {
    HolidayFileParser parser(table);
    char block[4096];
    std::streamoff remaining = -1;
    if (const std::streampos start = in.tellg(); start != std::streampos(-1)) {
        in.seekg(0, std::ios::end);
        const std::streampos end = in.tellg();
        in.seekg(start);
        if (end != std::streampos(-1) && in) {
            remaining = end - start;
        }
    }
    if (remaining < 0) { // a stream without a size: read to its end
        in.clear();
        while (in.read(block, sizeof block) || in.gcount() > 0) {
            parser.Feed(block, static_cast<std::size_t>(in.gcount()));
        }
        if (in.bad()) {
            throw EFOpenError(StreamReadFailed);
        }
    } else {
        while (remaining > 0) {
            in.read(block, std::min<std::streamoff>(remaining, sizeof block));
            const std::streamsize n = in.gcount();
            if (n <= 0) {
                throw EFOpenError(StreamReadFailed);
            }
            parser.Feed(block, static_cast<std::size_t>(n));
            remaining -= n;
        }
    }
    parser.Finish();
}

} // namespace holiday
