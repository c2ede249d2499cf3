#include "holiday/AxisSizes.h"

#include <algorithm>
#include <iterator>

namespace holiday {

std::int32_t AxisSizes::Get(std::int32_t index) const {
    if (index >= 0 && static_cast<std::size_t>(index) < mDense.size()) {
        return mDense[static_cast<std::size_t>(index)];
    }
    const auto it = mSparse.find(index);
    return it == mSparse.end() ? mDefault : it->second;
}

void AxisSizes::AddDense(std::size_t index, std::int64_t delta) noexcept {
    for (std::size_t i = index + 1; i <= mTree.size(); i += i & (~i + 1)) {
        mTree[i - 1] += delta;
    }
}

std::int64_t AxisSizes::DenseDeltaBelow(std::size_t count) const noexcept {
    std::int64_t sum = 0;
    for (std::size_t i = std::min(count, mTree.size()); i > 0; i &= i - 1) {
        sum += mTree[i - 1];
    }
    return sum;
}

void AxisSizes::PushDense(std::int32_t size) {
    // Node i (1-based) covers the indexes i - lowbit(i) + 1 .. i: its own delta and the nodes
    // i - 1, i - 2, i - 4 ... below lowbit(i), which cover the rest (O(1) amortised).
    const std::size_t node = mDense.size() + 1;
    const std::size_t low = node & (~node + 1);
    std::int64_t value = std::int64_t{size} - mDefault;
    for (std::size_t step = 1; step < low; step <<= 1) {
        value += mTree[node - step - 1];
    }
    mDense.push_back(size);
    mTree.push_back(value);
    if (size != mDefault) {
        ++mDenseCustom;
    }
}

bool AxisSizes::Set(std::int32_t index, std::int32_t size) {
    size = std::max(size, 0);
    if (index >= 0 && static_cast<std::size_t>(index) < mDense.size()) {
        std::int32_t& stored = mDense[static_cast<std::size_t>(index)];
        if (stored == size) {
            return false;
        }
        if (stored == mDefault) {
            ++mDenseCustom;
        } else if (size == mDefault) {
            --mDenseCustom;
        }
        AddDense(static_cast<std::size_t>(index), std::int64_t{size} - stored);
        stored = size;
        return true;
    }
    auto it = mSparse.find(index);
    const std::int32_t old = it == mSparse.end() ? mDefault : it->second;
    if (old == size) {
        return false;
    }
    ForgetPrefixFrom(index);
    // Sizes set a little past the array's end (as the autosize does from the first
    // configuration column on) grow the array over the gap; far ones stay sparse.
    const std::size_t gap = static_cast<std::size_t>(index) - mDense.size();
    if (index >= 0 && gap > 0 && gap <= std::max<std::size_t>(64, mDense.size())) {
        ForgetPrefixFrom(static_cast<std::int32_t>(mDense.size()));
        while (mDense.size() < static_cast<std::size_t>(index)) {
            const auto between = mSparse.find(static_cast<std::int32_t>(mDense.size()));
            if (between != mSparse.end()) {
                PushDense(between->second);
                mSparse.erase(between);
            } else {
                PushDense(mDefault);
            }
        }
        it = mSparse.find(index);
    }
    if (index >= 0 && static_cast<std::size_t>(index) == mDense.size()) {
        if (it != mSparse.end()) {
            mSparse.erase(it);
        }
        PushDense(size);
    } else if (size == mDefault) {
        mSparse.erase(it);
    } else if (it != mSparse.end()) {
        it->second = size;
    } else {
        mSparse.emplace(index, size);
    }
    return true;
}

void AxisSizes::Truncate(std::int32_t count) {
    count = std::max(count, 0);
    ForgetPrefixFrom(count);
    mSparse.erase(mSparse.lower_bound(count), mSparse.end());
    if (static_cast<std::size_t>(count) < mDense.size()) {
        // A Fenwick node depends only on the indexes up to its own, so the tree is cut alike.
        for (std::size_t i = static_cast<std::size_t>(count); i < mDense.size(); ++i) {
            if (mDense[i] != mDefault) {
                --mDenseCustom;
            }
        }
        mDense.resize(static_cast<std::size_t>(count));
        mTree.resize(static_cast<std::size_t>(count));
    }
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
    if (index <= 0) {
        return 0;
    }
    std::int64_t dense = DenseDeltaBelow(static_cast<std::size_t>(index));
    if (mPrefix.empty() || mPrefix.back().first < index) {
        // Bring the running sums up to the first entry at or past index.
        auto it = mPrefix.empty() ? mSparse.begin() : mSparse.upper_bound(mPrefix.back().first);
        std::int64_t sum = mPrefix.empty() ? 0 : mPrefix.back().second;
        for (; it != mSparse.end() && it->first < index; ++it) {
            sum += std::int64_t{it->second} - mDefault;
            mPrefix.emplace_back(it->first, sum);
        }
        return dense + sum;
    }
    const auto at =
        std::lower_bound(mPrefix.begin(), mPrefix.end(), index,
                         [](const auto& entry, std::int32_t i) { return entry.first < i; });
    return dense + (at == mPrefix.begin() ? 0 : std::prev(at)->second);
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
    // The first index whose span ends after offset: the sums grow with the index.
    std::int32_t lo = begin;
    std::int32_t hi = end - 1;
    if (Sum(begin, end, extraPerItem) <= offset) {
        return end - 1;
    }
    while (lo < hi) {
        const std::int32_t mid = lo + (hi - lo) / 2;
        if (Sum(begin, mid + 1, extraPerItem) > offset) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

} // namespace holiday
