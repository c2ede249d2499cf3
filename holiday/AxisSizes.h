#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace holiday {

// The widths of the columns (or the heights of the rows) of the table: one size per index.
// Sizes set in ascending order from index 0 on (as the autosize of every column sets them) are
// kept in an array with a Fenwick tree of their sums; any other size that differs from the
// default sits in a sparse map, so a table of 100,000,000 columns of default width allocates
// nothing here. Get, Set and Sum cost O(log n).
class AxisSizes {
public:
    explicit AxisSizes(std::int32_t defaultSize) noexcept : mDefault(defaultSize) {}

    [[nodiscard]] std::int32_t DefaultSize() const noexcept { return mDefault; }
    [[nodiscard]] std::int32_t Get(std::int32_t index) const;
    // Stores the size of one index (a negative size is stored as 0). Returns whether the size
    // changed.
    bool Set(std::int32_t index, std::int32_t size);
    // Forgets every size at index >= count (a removed column comes back at the default).
    void Truncate(std::int32_t count);
    // True when any index has a size other than the default.
    [[nodiscard]] bool HasCustomSizes() const noexcept {
        return !mSparse.empty() || mDenseCustom > 0;
    }

    // The sum of (size + extraPerItem) over the indexes begin .. end - 1 (0 when end <= begin).
    // Costs O(log n), plus once for each sparse size set since the last call that reached it.
    [[nodiscard]] std::int64_t Sum(std::int32_t begin, std::int32_t end,
                                   std::int32_t extraPerItem = 0) const;
    // The index i >= begin, i < end, whose span starts at or before offset and ends after it,
    // where offset 0 is the start of begin and each index takes size + extraPerItem (>= 0).
    // Offsets before begin give begin; offsets past the last span give end - 1.
    [[nodiscard]] std::int32_t IndexAt(std::int32_t begin, std::int32_t end, std::int64_t offset,
                                       std::int32_t extraPerItem = 0) const;

private:
    // The sum of (size - default) over the indexes below index.
    [[nodiscard]] std::int64_t DeltaBelow(std::int32_t index) const;
    [[nodiscard]] std::int64_t DenseDeltaBelow(std::size_t count) const noexcept;
    void AddDense(std::size_t index, std::int64_t delta) noexcept;
    void PushDense(std::int32_t size);
    void ForgetPrefixFrom(std::int32_t index) const noexcept;

    std::int32_t mDefault;
    // Sizes of the indexes 0 .. mDense.size() - 1, and the Fenwick tree (1-based) of their
    // (size - default).
    std::vector<std::int32_t> mDense;
    std::vector<std::int64_t> mTree;
    std::size_t mDenseCustom = 0; // dense sizes other than the default
    // Sizes other than the default at indexes >= mDense.size().
    std::map<std::int32_t, std::int32_t> mSparse;
    // Running sums of (size - default) over the first entries of mSparse, in index order: the
    // index and the sum up to and including it. Always a prefix of mSparse; a change at an
    // index cuts it back to the entries before that index, and queries extend it.
    mutable std::vector<std::pair<std::int32_t, std::int64_t>> mPrefix;
};

} // namespace holiday
