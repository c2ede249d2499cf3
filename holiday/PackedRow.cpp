#include "holiday/PackedRow.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>

namespace holiday::detail {

namespace {

void AppendVarint(std::string& out, std::uint64_t value) {
    char bytes[10];
    out.append(bytes, EncodeVarint(bytes, value));
}

// Appends one entry: the column distance minus one, the length, the text.
void AppendEntry(std::string& out, std::uint64_t delta, std::string_view text) {
    char header[20];
    std::size_t n = EncodeVarint(header, delta);
    n += EncodeVarint(header + n, text.size());
    out.append(header, n);
    out.append(text);
}

// The text at col among the packed entries of bytes, whose first entry counts from base (the
// column before them); empty when there is none.
std::string_view FindIn(const std::string& bytes, std::int64_t base, std::int32_t col) noexcept {
    for (PackedEntryCursor e(bytes, base); e.Next();) {
        if (e.Col() >= col) {
            return e.Col() == col ? e.Text() : std::string_view();
        }
    }
    return {};
}

// The column of the last entry of bytes, or base when it holds none.
std::int64_t LastColIn(const std::string& bytes, std::int64_t base) noexcept {
    std::int64_t last = base;
    for (PackedEntryCursor e(bytes, base); e.Next();) {
        last = e.Col();
    }
    return last;
}

// Stores text at col among the packed entries of bytes (first entry counting from base); the
// empty text removes the entry.
void SetIn(std::string& bytes, std::int64_t base, std::int32_t col, std::string_view text) {
    std::int64_t prevCol = base;
    PackedEntryCursor e(bytes, base);
    for (;;) {
        if (!e.Next()) {
            if (!text.empty()) {
                AppendEntry(bytes, static_cast<std::uint64_t>(col - prevCol - 1), text);
            }
            return;
        }
        if (e.Col() >= col) {
            break;
        }
        prevCol = e.Col();
    }
    std::string replacement;
    if (e.Col() == col) {
        if (!text.empty()) { // the text, then its length, each replaced in place
            char length[10];
            const std::size_t n = EncodeVarint(length, text.size());
            const std::size_t lengthStart = e.LengthStart();
            const std::size_t textStart = e.TextStart();
            bytes.replace(textStart, e.End() - textStart, text);
            bytes.replace(lengthStart, textStart - lengthStart, length, n);
            return;
        }
        if (e.End() == bytes.size()) { // removing the last entry
            bytes.erase(e.Start());
            if (bytes.empty()) {
                std::string().swap(bytes);
            }
            return;
        }
        // The next entry's distance now spans the removed one too.
        const std::size_t start = e.Start();
        const std::uint64_t delta = e.Delta();
        e.Next();
        AppendVarint(replacement, delta + e.Delta() + 1);
        bytes.replace(start, e.LengthStart() - start, replacement);
        return;
    }
    if (text.empty()) {
        return;
    }
    // Insert before e, whose distance now counts from col.
    AppendEntry(replacement, static_cast<std::uint64_t>(std::int64_t{col} - prevCol - 1), text);
    AppendVarint(replacement, static_cast<std::uint64_t>(e.Col() - col - 1));
    bytes.replace(e.Start(), e.LengthStart() - e.Start(), replacement);
}

// Moves the entries of a segment from the first one that starts at or past its middle into a
// new segment; nothing when the segment holds no such entry but its first.
void SplitSegment(PackedRow::Segments& segments, PackedRow::Segments::iterator segment) {
    std::string& bytes = segment->second;
    for (PackedEntryCursor e(bytes, std::int64_t{segment->first} - 1); e.Next();) {
        if (e.Start() > 0 && e.Start() >= bytes.size() / 2) {
            std::string tail;
            tail.reserve(bytes.size() - e.Start() + 2);
            AppendVarint(tail, 0);
            tail.append(bytes, e.LengthStart(), std::string::npos);
            bytes.erase(e.Start());
            bytes.shrink_to_fit();
            segments.emplace_hint(std::next(segment), static_cast<std::int32_t>(e.Col()),
                                  std::move(tail));
            return;
        }
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

PackedRow::PackedRow(const PackedRow& other)
    : mBytes(other.mBytes), mWide(other.mWide ? std::make_unique<Segments>(*other.mWide) : nullptr),
      mLastCol(other.mLastCol) {}

PackedRow PackedRow::FromTexts(std::span<const std::string_view> texts) {
    // The packed size first, then one allocation.
    std::size_t total = 0;
    std::uint64_t gap = 0; // empty cells since the last text
    std::int32_t last = -1;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const std::size_t length = texts[k].size();
        if (length == 0) {
            ++gap;
            continue;
        }
        char scratch[10];
        total += EncodeVarint(scratch, gap) + EncodeVarint(scratch, length) + length;
        gap = 0;
        last = static_cast<std::int32_t>(k);
    }
    PackedRow row;
    if (last < 0) {
        return row;
    }
    row.mBytes.resize(total);
    char* out = row.mBytes.data();
    gap = 0;
    for (const std::string_view text : texts) {
        if (text.empty()) {
            ++gap;
            continue;
        }
        out += EncodeVarint(out, gap);
        out += EncodeVarint(out, text.size());
        std::memcpy(out, text.data(), text.size());
        out += text.size();
        gap = 0;
    }
    row.mLastCol = last;
    if (row.mBytes.size() > WideBytes) {
        row.MakeWide();
    }
    return row;
}

PackedRow PackedRow::OneCell(std::string_view text) {
    PackedRow row;
    if (text.empty()) {
        return row;
    }
    if (text.size() > WideBytes) { // straight into a segment
        row.mWide = std::make_unique<Segments>();
        AppendEntry((*row.mWide)[0], 0, text);
    } else {
        AppendEntry(row.mBytes, 0, text);
    }
    row.mLastCol = 0;
    return row;
}

std::string_view PackedRow::View(std::int32_t col) const noexcept {
    if (col < 0 || col > mLastCol) {
        return {};
    }
    if (mWide) {
        const auto segment = std::prev(mWide->upper_bound(col));
        return FindIn(segment->second, std::int64_t{segment->first} - 1, col);
    }
    return FindIn(mBytes, -1, col);
}

void PackedRow::MakeWide() {
    auto segments = std::make_unique<Segments>();
    std::string* current = &(*segments)[0];
    std::int64_t prev = -1;
    for (PackedEntryCursor e(mBytes, -1); e.Next();) {
        if (current->size() >= SegmentBytes) {
            current = &segments->emplace_hint(segments->end(), e.Col(), std::string())->second;
            prev = e.Col() - 1;
        }
        AppendEntry(*current, static_cast<std::uint64_t>(e.Col() - prev - 1), e.Text());
        prev = e.Col();
    }
    mWide = std::move(segments);
    std::string().swap(mBytes);
}

void PackedRow::Append(std::int32_t col, std::string_view text) {
    const auto delta = static_cast<std::uint64_t>(std::int64_t{col} - mLastCol - 1);
    if (mWide) {
        auto last = std::prev(mWide->end());
        if (last->second.size() >= SegmentBytes) {
            std::string bytes;
            AppendEntry(bytes, 0, text);
            mWide->emplace_hint(mWide->end(), col, std::move(bytes));
        } else {
            AppendEntry(last->second, delta, text);
        }
    } else {
        AppendEntry(mBytes, delta, text);
        if (mBytes.size() > WideBytes) {
            MakeWide();
        }
    }
    mLastCol = col;
}

bool PackedRow::Holds(std::int32_t col, std::string_view text) const noexcept {
    auto within = [&text](const std::string& bytes) {
        return std::less_equal<>()(bytes.data(), text.data()) &&
               std::less<>()(text.data(), bytes.data() + bytes.size());
    };
    if (text.empty() || mLastCol < 0) {
        return false;
    }
    if (!mWide) {
        return within(mBytes);
    }
    // Only the segment of col and the last one change.
    return within(std::prev(mWide->upper_bound(std::max(col, 0)))->second) ||
           within(std::prev(mWide->end())->second);
}

void PackedRow::Set(std::int32_t col, std::string_view text) {
    if (col > mLastCol) {
        if (!text.empty()) {
            Append(col, text);
        }
        return;
    }
    const bool removesLast = text.empty() && col == mLastCol;
    if (!mWide) {
        SetIn(mBytes, -1, col, text);
        if (removesLast) {
            mLastCol = static_cast<std::int32_t>(LastColIn(mBytes, -1));
        } else if (mBytes.size() > WideBytes) {
            MakeWide();
        }
        return;
    }
    Segments& segments = *mWide;
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
        mLastCol =
            static_cast<std::int32_t>(LastColIn(last->second, std::int64_t{last->first} - 1));
    }
}

void PackedRow::Reserve(std::size_t bytes) {
    if (!mWide && bytes > mBytes.capacity()) {
        mBytes.reserve(bytes);
    }
}

void PackedRow::Trim() noexcept {
    if (mWide || mBytes.capacity() <= mBytes.size() + mBytes.size() / 8 + 16) {
        return;
    }
    try {
        mBytes.shrink_to_fit();
    } catch (...) { // keeping the spare capacity is harmless
    }
}

std::size_t PackedRow::HeapBytes() const noexcept {
    // A std::string of libstdc++ keeps up to 15 bytes in itself; more take a heap block of its
    // capacity and the closing zero.
    constexpr std::size_t InlineCapacity = 15;
    const auto stringHeap = [](const std::string& text) {
        return text.capacity() > InlineCapacity ? HeapBlockBytes(text.capacity() + 1) : 0;
    };
    std::size_t total = stringHeap(mBytes);
    if (mWide) {
        // A node of std::map: two child links, the parent link and the colour (32 bytes on a
        // 64-bit system), then the value.
        constexpr std::size_t NodeBytes = HeapBlockBytes(32 + sizeof(Segments::value_type));
        total += HeapBlockBytes(sizeof(Segments));
        for (const auto& [col, bytes] : *mWide) {
            total += NodeBytes + stringHeap(bytes);
        }
    }
    return total;
}

} // namespace holiday::detail
