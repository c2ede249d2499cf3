#include "holiday/PackedRow.h"

#include <algorithm>
#include <functional>
#include <iterator>

namespace holiday::detail {

namespace {

void AppendVarint(std::string& out, std::uint64_t value) {
    char bytes[10];
    out.append(bytes, EncodeVarint(bytes, value));
}

// One entry of a packed row: where it starts, where its text lies, its column.
struct EntryPos {
    std::size_t start = 0;     // first byte of the column distance
    std::size_t textStart = 0; // first text byte
    std::size_t end = 0;       // one past the last text byte
    std::int64_t col = -1;
    std::uint64_t delta = 0;
};

// Reads the entry at offset start whose predecessor sits at column prevCol.
EntryPos ReadEntry(const std::string& bytes, std::size_t start, std::int64_t prevCol) {
    EntryPos e;
    e.start = start;
    const char* base = bytes.data();
    const char* p = base + start;
    e.delta = ReadVarint(p);
    e.col = prevCol + static_cast<std::int64_t>(e.delta) + 1;
    const auto length = static_cast<std::size_t>(ReadVarint(p));
    e.textStart = static_cast<std::size_t>(p - base);
    e.end = e.textStart + length;
    return e;
}

// One past the variable-length integer that starts at pos.
std::size_t VarintEnd(const std::string& bytes, std::size_t pos) {
    const char* p = bytes.data() + pos;
    (void)ReadVarint(p);
    return static_cast<std::size_t>(p - bytes.data());
}

// The text at col among the packed entries of bytes, whose first entry counts from base (the
// column before them); empty when there is none.
std::string_view FindIn(const std::string& bytes, std::int64_t base, std::int32_t col) noexcept {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    std::int64_t c = base;
    while (p != end) {
        c += static_cast<std::int64_t>(ReadVarint(p)) + 1;
        const auto length = static_cast<std::size_t>(ReadVarint(p));
        if (c >= col) {
            return c == col ? std::string_view(p, length) : std::string_view();
        }
        p += length;
    }
    return {};
}

// The column of the last entry of bytes, or base when it holds none.
std::int64_t LastColIn(const std::string& bytes, std::int64_t base) noexcept {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    std::int64_t c = base;
    while (p != end) {
        c += static_cast<std::int64_t>(ReadVarint(p)) + 1;
        p += ReadVarint(p);
    }
    return c;
}

// Stores text at col among the packed entries of bytes (first entry counting from base); the
// empty text removes the entry.
void SetIn(std::string& bytes, std::int64_t base, std::int32_t col, std::string_view text) {
    std::int64_t prevCol = base;
    std::size_t pos = 0;
    EntryPos e;
    for (;;) {
        if (pos == bytes.size()) {
            if (!text.empty()) {
                AppendEntry(bytes, static_cast<std::uint64_t>(col - prevCol - 1), text);
            }
            return;
        }
        e = ReadEntry(bytes, pos, prevCol);
        if (e.col >= col) {
            break;
        }
        prevCol = e.col;
        pos = e.end;
    }
    std::string replacement;
    if (e.col == col) {
        if (!text.empty()) { // the text, then its length, each replaced in place
            char length[10];
            const std::size_t n = EncodeVarint(length, text.size());
            bytes.replace(e.textStart, e.end - e.textStart, text);
            const std::size_t lengthStart = VarintEnd(bytes, e.start);
            bytes.replace(lengthStart, e.textStart - lengthStart, length, n);
            return;
        }
        if (e.end == bytes.size()) { // removing the last entry
            bytes.erase(e.start);
            if (bytes.empty()) {
                std::string().swap(bytes);
            }
            return;
        }
        // The next entry's distance now spans the removed one too.
        const EntryPos next = ReadEntry(bytes, e.end, e.col);
        AppendVarint(replacement, e.delta + next.delta + 1);
        bytes.replace(e.start, VarintEnd(bytes, e.end) - e.start, replacement);
        return;
    }
    if (text.empty()) {
        return;
    }
    // Insert before e, whose distance now counts from col.
    AppendEntry(replacement, static_cast<std::uint64_t>(std::int64_t{col} - prevCol - 1), text);
    AppendVarint(replacement, static_cast<std::uint64_t>(e.col - col - 1));
    bytes.replace(e.start, VarintEnd(bytes, e.start) - e.start, replacement);
}

// Moves the entries of a segment from the first one that starts at or past its middle into a
// new segment; nothing when the segment holds no such entry but its first.
void SplitSegment(Segments& segments, Segments::iterator segment) {
    std::string& bytes = segment->second;
    std::int64_t prevCol = std::int64_t{segment->first} - 1;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const EntryPos e = ReadEntry(bytes, pos, prevCol);
        if (pos > 0 && pos >= bytes.size() / 2) {
            std::string tail;
            tail.reserve(bytes.size() - pos + 2);
            AppendVarint(tail, 0);
            tail.append(bytes, VarintEnd(bytes, pos), std::string::npos);
            bytes.erase(pos);
            bytes.shrink_to_fit();
            segments.emplace_hint(std::next(segment), static_cast<std::int32_t>(e.col),
                                  std::move(tail));
            return;
        }
        prevCol = e.col;
        pos = e.end;
    }
}

} // namespace

std::size_t EncodeVarint(char* bytes, std::uint64_t value) noexcept {
    std::size_t n = 0;
    while (value >= 0x80) {
        bytes[n++] = static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    bytes[n++] = static_cast<char>(value);
    return n;
}

void AppendEntry(std::string& out, std::uint64_t delta, std::string_view text) {
    char header[20];
    std::size_t n = EncodeVarint(header, delta);
    n += EncodeVarint(header + n, text.size());
    out.append(header, n);
    out.append(text);
}

std::string_view PackedRow::View(std::int32_t col) const noexcept {
    if (col < 0 || col > LastCol) {
        return {};
    }
    if (Wide) {
        const auto segment = std::prev(Wide->upper_bound(col));
        return FindIn(segment->second, std::int64_t{segment->first} - 1, col);
    }
    return FindIn(Bytes, -1, col);
}

void PackedRow::MakeWide() {
    auto segments = std::make_unique<Segments>();
    std::string* current = &(*segments)[0];
    std::int64_t prev = -1;
    const char* p = Bytes.data();
    const char* const end = p + Bytes.size();
    std::int64_t col = -1;
    while (p != end) {
        col += static_cast<std::int64_t>(ReadVarint(p)) + 1;
        const auto length = static_cast<std::size_t>(ReadVarint(p));
        if (current->size() >= SegmentBytes) {
            current = &segments->emplace_hint(segments->end(), col, std::string())->second;
            prev = col - 1;
        }
        AppendEntry(*current, static_cast<std::uint64_t>(col - prev - 1),
                    std::string_view(p, length));
        prev = col;
        p += length;
    }
    Wide = std::move(segments);
    std::string().swap(Bytes);
}

void PackedRow::Append(std::int32_t col, std::string_view text) {
    const auto delta = static_cast<std::uint64_t>(std::int64_t{col} - LastCol - 1);
    if (Wide) {
        auto last = std::prev(Wide->end());
        if (last->second.size() >= SegmentBytes) {
            std::string bytes;
            AppendEntry(bytes, 0, text);
            Wide->emplace_hint(Wide->end(), col, std::move(bytes));
        } else {
            AppendEntry(last->second, delta, text);
        }
    } else {
        AppendEntry(Bytes, delta, text);
        if (Bytes.size() > WideBytes) {
            MakeWide();
        }
    }
    LastCol = col;
}

bool PackedRow::Holds(std::int32_t col, std::string_view text) const noexcept {
    auto within = [&text](const std::string& bytes) {
        return std::less_equal<>()(bytes.data(), text.data()) &&
               std::less<>()(text.data(), bytes.data() + bytes.size());
    };
    if (text.empty() || LastCol < 0) {
        return false;
    }
    if (!Wide) {
        return within(Bytes);
    }
    // Only the segment of col and the last one change.
    return within(std::prev(Wide->upper_bound(std::max(col, 0)))->second) ||
           within(std::prev(Wide->end())->second);
}

void PackedRow::Set(std::int32_t col, std::string_view text) {
    if (col > LastCol) {
        if (!text.empty()) {
            Append(col, text);
        }
        return;
    }
    const bool removesLast = text.empty() && col == LastCol;
    if (!Wide) {
        SetIn(Bytes, -1, col, text);
        if (removesLast) {
            LastCol = static_cast<std::int32_t>(LastColIn(Bytes, -1));
        } else if (Bytes.size() > WideBytes) {
            MakeWide();
        }
        return;
    }
    Segments& segments = *Wide;
    auto segment = std::prev(segments.upper_bound(col));
    SetIn(segment->second, std::int64_t{segment->first} - 1, col, text);
    if (segment->second.empty()) {
        if (segment->first != 0) {
            segments.erase(segment);
        }
    } else if (segment->second.size() > 2 * SegmentBytes) {
        SplitSegment(segments, segment);
    }
    if (removesLast) {
        const auto last = std::prev(segments.end());
        LastCol = static_cast<std::int32_t>(LastColIn(last->second, std::int64_t{last->first} - 1));
    }
}

} // namespace holiday::detail
