#include "holiday/AxisSizes.h"

#include <algorithm>
#include <iterator>

namespace holiday {

std::int32_t AxisSizes::Get(std::int32_t index) const {
    const auto it = mSizes.find(index);
    return it == mSizes.end() ? mDefault : it->second;
}

void AxisSizes::Set(std::int32_t index, std::int32_t size) {
    size = std::max(size, 0);
    ForgetPrefixFrom(index);
    if (size == mDefault) {
        mSizes.erase(index);
    } else {
        mSizes[index] = size;
    }
}

void AxisSizes::Truncate(std::int32_t count) {
    ForgetPrefixFrom(count);
    mSizes.erase(mSizes.lower_bound(count), mSizes.end());
}

void AxisSizes::ForgetPrefixFrom(std::int32_t index) const noexcept {
    if (!mPrefix.empty() && mPrefix.back().first >= index) {
        const auto cut =
            std::lower_bound(mPrefix.begin(), mPrefix.end(), index,
                             [](const auto& entry, std::int32_t i) { return entry.first < i; });
        mPrefix.erase(cut, mPrefix.end());
    }
}

std::int64_t AxisSizes::DeltaBelow(std::int32_t index) const {
    if (mPrefix.empty() || mPrefix.back().first < index) {
        // Bring the running sums up to the first entry at or past index.
        auto it = mPrefix.empty() ? mSizes.begin() : mSizes.upper_bound(mPrefix.back().first);
        std::int64_t sum = mPrefix.empty() ? 0 : mPrefix.back().second;
        for (; it != mSizes.end() && it->first < index; ++it) {
            sum += std::int64_t{it->second} - mDefault;
            mPrefix.emplace_back(it->first, sum);
        }
        return sum;
    }
    const auto at =
        std::lower_bound(mPrefix.begin(), mPrefix.end(), index,
                         [](const auto& entry, std::int32_t i) { return entry.first < i; });
    return at == mPrefix.begin() ? 0 : std::prev(at)->second;
}

std::int64_t AxisSizes::Sum(std::int32_t begin, std::int32_t end, std::int32_t extraPerItem) const {
    if (end <= begin) {
        return 0;
    }
    return (std::int64_t{end} - begin) * (std::int64_t{mDefault} + extraPerItem) + DeltaBelow(end) -
           DeltaBelow(begin);
}

std::int32_t AxisSizes::IndexAt(std::int32_t begin, std::int32_t end, std::int64_t offset,
                                std::int32_t extraPerItem) const {
    if (end <= begin || offset < 0) {
        return begin;
    }
    const std::int64_t defaultSpan = std::int64_t{mDefault} + extraPerItem;
    std::int64_t start = 0; // the offset at which index `next` starts
    std::int64_t next = begin;
    // Runs of default sizes between the custom sizes, then one custom size each.
    auto inDefaultRun = [&](std::int64_t runEnd) -> std::int64_t {
        if (runEnd <= next) {
            return -1;
        }
        if (defaultSpan > 0) {
            const std::int64_t count = runEnd - next;
            const std::int64_t width = count * defaultSpan;
            if (offset < start + width) {
                return next + (offset - start) / defaultSpan;
            }
            start += width;
        }
        next = runEnd;
        return -1;
    };
    for (auto it = mSizes.lower_bound(begin); it != mSizes.end() && it->first < end; ++it) {
        if (const std::int64_t found = inDefaultRun(it->first); found >= 0) {
            return static_cast<std::int32_t>(found);
        }
        const std::int64_t span = std::int64_t{it->second} + extraPerItem;
        if (span > 0) {
            if (offset < start + span) {
                return it->first;
            }
            start += span;
        }
        next = std::int64_t{it->first} + 1;
    }
    if (const std::int64_t found = inDefaultRun(end); found >= 0) {
        return static_cast<std::int32_t>(found);
    }
    return end - 1;
}

} // namespace holiday
