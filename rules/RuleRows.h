#pragma once

#include "rules/HolidayRule.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <vector>

namespace rules {

// A row of the table that is a rule (its start date is not empty): its title as the table holds
// it and the rule read once from its texts (which Rule gives back).
struct RuleRow {
    std::int32_t Row;
    std::string_view Title;
    PreparedHolidayRule Rule;
};

// The rule rows a walk has read, in row order, kept in chunks of ChunkRows: a row once stored
// never moves, so growing never copies what was read (a gigabyte for ten million rules), and
// the memory can be given back a chunk at a time.
class RuleRows {
public:
    static constexpr std::size_t ChunkRows = std::size_t{1} << 14;

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = RuleRow;
        using difference_type = std::ptrdiff_t;
        using pointer = const RuleRow*;
        using reference = const RuleRow&;

        Iterator() = default;
        Iterator(const RuleRows* rows, std::size_t index) noexcept : mRows(rows), mIndex(index) {}
        reference operator*() const noexcept { return (*mRows)[mIndex]; }
        pointer operator->() const noexcept { return &(*mRows)[mIndex]; }
        Iterator& operator++() noexcept {
            ++mIndex;
            return *this;
        }
        Iterator operator++(int) noexcept {
            Iterator before = *this;
            ++mIndex;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) noexcept {
            return a.mIndex == b.mIndex;
        }

    private:
        const RuleRows* mRows = nullptr;
        std::size_t mIndex = 0;
    };

    [[nodiscard]] std::size_t size() const noexcept { return mSize; }
    [[nodiscard]] bool empty() const noexcept { return mSize == 0; }
    [[nodiscard]] const RuleRow& operator[](std::size_t i) const noexcept {
        return mChunks[i / ChunkRows][i % ChunkRows];
    }
    [[nodiscard]] Iterator begin() const noexcept { return {this, 0}; }
    [[nodiscard]] Iterator end() const noexcept { return {this, mSize}; }

    void push_back(RuleRow row) {
        if (mSize == mChunks.size() * ChunkRows) {
            mChunks.emplace_back().reserve(ChunkRows);
        }
        mChunks.back().push_back(row);
        ++mSize;
    }
    // Keeps the first n rows (n <= size()).
    void Truncate(std::size_t n) {
        const std::size_t chunks = (n + ChunkRows - 1) / ChunkRows;
        mChunks.resize(chunks);
        if (chunks > 0) {
            auto& last = mChunks.back();
            last.erase(last.begin() + static_cast<std::ptrdiff_t>(n - (chunks - 1) * ChunkRows),
                       last.end());
        }
        mSize = n;
    }
    // Gives back the memory of the last chunk; false when none was left.
    bool ReleaseLastChunk() noexcept {
        if (mChunks.empty()) {
            return false;
        }
        mChunks.pop_back();
        mSize = mChunks.size() * ChunkRows;
        return true;
    }

private:
    std::vector<std::vector<RuleRow>> mChunks;
    std::size_t mSize = 0;
};

} // namespace rules
