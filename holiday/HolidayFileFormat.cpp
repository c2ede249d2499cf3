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

// Collects the bytes of the file and hands them to flush in large chunks. Long runs of bytes
// that stay where they are while the table is written (rows as read) go to flush directly.
class ChunkedOutput {
public:
    ChunkedOutput(const detail::ChunkSink& flush, WorkProgress* progress, std::int32_t rows)
        : mFlush(flush), mBuffer(new char[Capacity]), mProgress(progress), mRows(rows) {}

    // The row being written, for the progress.
    void AtRow(std::int32_t row) {
        mRow = row;
        if ((row & (ProgressRows - 1)) == 0) {
            AdvanceOrAbort(mProgress, mRow, mRows);
        }
    }

    // Bytes that stay valid until the output is flushed; a run that continues the previous
    // one is joined to it.
    void PutShared(const char* data, std::size_t size) {
        if (mSharedSize > 0 && mShared + mSharedSize == data &&
            mSharedSize + size <= detail::MaxChunk) {
            mSharedSize += size;
            return;
        }
        EmitShared();
        mShared = data;
        mSharedSize = size;
    }
    void Put(std::string_view bytes) {
        EmitShared();
        Copy(bytes);
    }
    void PutByte(char byte) {
        EmitShared();
        mBuffer[mUsed++] = byte;
        if (mUsed == Capacity) {
            FlushBuffer();
        }
    }
    void PutRepeated(char byte, std::int64_t count) {
        EmitShared();
        while (count > 0) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(count, static_cast<std::int64_t>(Capacity - mUsed)));
            std::memset(mBuffer.get() + mUsed, byte, n);
            mUsed += n;
            count -= static_cast<std::int64_t>(n);
            if (mUsed == Capacity) {
                FlushBuffer();
            }
        }
    }
    // Room for n bytes at the returned place, flushing first when needed; nullptr when n is
    // more than the buffer holds. Commit says where the bytes written there end.
    char* Reserve(std::size_t n) {
        EmitShared();
        if (n > Capacity - mUsed) {
            FlushBuffer();
            if (n > Capacity) {
                return nullptr;
            }
        }
        return mBuffer.get() + mUsed;
    }
    void Commit(const char* end) noexcept { mUsed = static_cast<std::size_t>(end - mBuffer.get()); }
    void Flush() {
        EmitShared();
        FlushBuffer();
    }

private:
    static constexpr std::size_t Capacity = 1 << 18;
    // Shared runs at least this long are not copied.
    static constexpr std::size_t DirectBytes = 1 << 16;
    // Rows between two reports of progress when no chunk goes out.
    static constexpr std::int32_t ProgressRows = 1 << 12;

    void EmitShared() {
        if (mSharedSize == 0) {
            return;
        }
        const std::string_view run(mShared, mSharedSize);
        mSharedSize = 0;
        if (run.size() >= DirectBytes) {
            FlushBuffer();
            for (std::size_t at = 0; at < run.size(); at += detail::MaxChunk) {
                Emit(run.data() + at, std::min(detail::MaxChunk, run.size() - at));
            }
        } else {
            Copy(run);
        }
    }
    void Copy(std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t n = std::min(bytes.size(), Capacity - mUsed);
            std::memcpy(mBuffer.get() + mUsed, bytes.data(), n);
            mUsed += n;
            bytes.remove_prefix(n);
            if (mUsed == Capacity) {
                FlushBuffer();
            }
        }
    }
    void FlushBuffer() {
        if (mUsed > 0) {
            const std::size_t used = mUsed;
            mUsed = 0;
            Emit(mBuffer.get(), used);
        }
    }
    void Emit(const char* data, std::size_t size) {
        mFlush(data, size);
        AdvanceOrAbort(mProgress, mRow, mRows);
    }

    const detail::ChunkSink& mFlush;
    std::unique_ptr<char[]> mBuffer;
    WorkProgress* mProgress;
    std::int32_t mRows;
    std::int32_t mRow = 0;
    std::size_t mUsed = 0;
    const char* mShared = nullptr;
    std::size_t mSharedSize = 0;
};

// Whether the pad empty cells and the end of a row as read follow its bytes in memory, as they
// did in its file: then the row goes out as it came in.
bool EndsAsRead(std::string_view bytes, std::int64_t pad) noexcept {
    const char* p = bytes.data() + bytes.size();
    for (std::int64_t k = 0; k < pad; ++k) {
        if (p[k] != '\x00') { // the row's end came sooner
            return false;
        }
    }
    return p[pad] == '\x01';
}

// RowCount rows of ColCount cells: 0x00 between two cells, 0x01 after each row.
void WriteRows(const HolidayTable& table, ChunkedOutput& out) {
    const std::int32_t cols = table.ColCount();
    const std::int32_t rows = table.RowCount();
    const CellStore& cells = table.Cells();
    for (std::int32_t r = 0; r < rows; ++r) {
        out.AtRow(r);
        // A row as read that fits the table's width: its bytes as they are, then the cells
        // it lacks and its end.
        if (const auto [raw, last] = cells.RawBytes(r); !raw.empty()) {
            if (last < cols) {
                const std::int64_t pad = std::int64_t{cols} - 1 - last;
                if (EndsAsRead(raw, pad)) {
                    out.PutShared(raw.data(), raw.size() + static_cast<std::size_t>(pad) + 1);
                } else {
                    out.Put(raw);
                    out.PutRepeated('\x00', pad);
                    out.PutByte('\x01');
                }
                continue;
            }
        }
        std::int64_t next = 0; // the first column not yet written
        auto entries = r < cells.RowEnd() ? cells.Entries(r) : CellStore::RowEntries();
        // A row held in one buffer writes at most its texts and one delimiter per column: it
        // goes straight into the output buffer.
        const std::size_t packed = entries.PackedSizeLeft();
        if (packed < std::size_t{1} << 30) {
            if (char* p = out.Reserve(packed + static_cast<std::size_t>(cols))) {
                std::int32_t col = 0;
                std::string_view text;
                while (entries.Next(col, text) && col < cols) {
                    for (std::int64_t gap = col - next; gap > 0; --gap) {
                        *p++ = '\x00';
                    }
                    std::memcpy(p, text.data(), text.size());
                    p += text.size();
                    if (col != cols - 1) {
                        *p++ = '\x00';
                    }
                    next = std::int64_t{col} + 1;
                }
                if (next < cols) {
                    std::memset(p, 0, static_cast<std::size_t>(cols - 1 - next));
                    p += cols - 1 - next;
                }
                *p++ = '\x01';
                out.Commit(p);
                continue;
            }
        }
        {
            std::int32_t col = 0;
            std::string_view text;
            for (; entries.Next(col, text) && col < cols;) {
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

void WriteTable(const HolidayTable& table, const ChunkSink& sink, WorkProgress* progress) {
    ChunkedOutput output(sink, progress, table.RowCount());
    WriteRows(table, output);
    AdvanceOrAbort(progress, table.RowCount(), table.RowCount());
}

} // namespace detail

void SaveToStream(const HolidayTable& table, std::ostream& out, TextEncoding) {
    detail::WriteTable(table, [&out](const char* data, std::size_t size) {
        if (!out.write(data, static_cast<std::streamsize>(size))) {
            throw EFCreateError(StreamWriteFailed);
        }
    });
}

ReadLosses LoadFromStream(HolidayTable& table, std::istream& in, TextEncoding encoding) {
    std::streamoff remaining = -1;
    if (const std::streampos start = in.tellg(); start != std::streampos(-1)) {
        in.seekg(0, std::ios::end);
        const std::streampos end = in.tellg();
        in.seekg(start);
        if (end != std::streampos(-1) && in) {
            remaining = end - start;
        }
    }
    HolidayFileParser parser(table, remaining > 0 ? static_cast<std::size_t>(remaining) : 0,
                             encoding);
    constexpr std::streamoff Step = 1 << 20;
    if (remaining < 0) { // a stream without a size: read to its end
        in.clear();
        for (;;) {
            in.read(parser.Room(Step), Step);
            const std::streamsize n = in.gcount();
            if (n <= 0) {
                break;
            }
            parser.Commit(static_cast<std::size_t>(n));
        }
        if (in.bad()) {
            parser.StoreUnfinishedCells();
            throw EFOpenError(StreamReadFailed);
        }
    } else {
        while (remaining > 0) {
            const std::streamoff wanted = std::min(remaining, Step);
            in.read(parser.Room(static_cast<std::size_t>(wanted)), wanted);
            const std::streamsize n = in.gcount();
            if (n <= 0) {
                parser.StoreUnfinishedCells();
                throw EFOpenError(StreamReadFailed);
            }
            parser.Commit(static_cast<std::size_t>(n));
            remaining -= n;
        }
    }
    parser.Finish();
    return parser.Losses();
}

} // namespace holiday
