#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace holiday {

// The widths of the columns (or the heights of the rows) of the table: one size per index,
// stored sparsely so that only sizes that differ from the default cost memory. A table of
// 100,000,000 columns of default width allocates nothing here.
class AxisSizes {
public:
    explicit AxisSizes(std::int32_t defaultSize) noexcept : mDefault(defaultSize) {}

    [[nodiscard]] std::int32_t DefaultSize() const noexcept { return mDefault; }
    [[nodiscard]] std::int32_t Get(std::int32_t index) const;
    // Stores the size of one index (a negative size is stored as 0); the default size removes
    // the entry.
    void Set(std::int32_t index, std::int32_t size);
    // Forgets every size at index >= count (a removed column comes back at the default).
    void Truncate(std::int32_t count);
    // True when any index has a size other than the default.
    [[nodiscard]] bool HasCustomSizes() const noexcept { return !mSizes.empty(); }

    // The sum of (size + extraPerItem) over the indexes begin .. end - 1 (0 when end <= begin).
    // Costs O(log n), plus once for each custom size set since the last call that reached it.
    [[nodiscard]] std::int64_t Sum(std::int32_t begin, std::int32_t end,
                                   std::int32_t extraPerItem = 0) const;
    // The index i >= begin, i < end, whose span starts at or before offset and ends after it,
    // where offset 0 is the start of begin and each index takes size + extraPerItem. Offsets
    // before begin give begin; offsets past the last span give end - 1.
    [[nodiscard]] std::int32_t IndexAt(std::int32_t begin, std::int32_t end, std::int64_t offset,
                                       std::int32_t extraPerItem = 0) const;

private:
    // The sum of (size - default) over the custom sizes at indexes below index.
    [[nodiscard]] std::int64_t DeltaBelow(std::int32_t index) const;
    void ForgetPrefixFrom(std::int32_t index) const noexcept;

    std::int32_t mDefault;
    std::map<std::int32_t, std::int32_t> mSizes;
    // Running sums of (size - default) over the first entries of mSizes, in index order: the
    // index and the sum up to and including it. Always a prefix of mSizes; a change at an
    // index cuts it back to the entries before that index, and queries extend it.
    mutable std::vector<std::pair<std::int32_t, std::int64_t>> mPrefix;
};

} // namespace holiday
