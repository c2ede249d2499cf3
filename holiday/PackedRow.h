#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace holiday::detail {

// The texts of one row in memory of the row's own, packed: per entry the column distance to
// the previous entry (minus one) and the text length as variable-length integers (7 bits a
// byte, low bits first), then the text bytes; entries in ascending column order, empty texts
// never stored. A row that outgrows WideBytes is cut into segments of about SegmentBytes, kept
// in a sorted map by their first column (the first segment starts at column 0), so reading or
// changing a cell costs O(log n) in the row's width plus one segment.
using Segments = std::map<std::int32_t, std::string>;

struct PackedRow {
    std::string Bytes;              // the entries of a narrow row
    std::unique_ptr<Segments> Wide; // instead, those of a wide row
    std::int32_t LastCol = -1;      // the highest column with a text, or -1

    static constexpr std::size_t SegmentBytes = 1024;
    static constexpr std::size_t WideBytes = 16384;

    // The text at col, or empty; valid until the row changes.
    [[nodiscard]] std::string_view View(std::int32_t col) const noexcept;
    // Stores a non-empty text at col > LastCol.
    void Append(std::int32_t col, std::string_view text);
    // Stores text at col (the empty text removes the entry). text must not lie in this row.
    void Set(std::int32_t col, std::string_view text);
    // Whether text lies in bytes of this row that Set(col, ...) could move.
    [[nodiscard]] bool Holds(std::int32_t col, std::string_view text) const noexcept;
    // Cuts a narrow row into segments.
    void MakeWide();
};

// Reads one variable-length integer. The caller guarantees that the bytes are a complete
// integer written by the store.
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

// Appends one entry: the column distance minus one, the length, the text.
void AppendEntry(std::string& out, std::uint64_t delta, std::string_view text);

} // namespace holiday::detail
