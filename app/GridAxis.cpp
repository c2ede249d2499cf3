#include "app/GridAxis.h"

#include <algorithm>

namespace app {

int GridAxis::ScreenPos(std::int64_t pos) noexcept {
    constexpr std::int64_t Limit = std::int64_t{1} << 30;
    return static_cast<int>(std::clamp(pos, -Limit, Limit));
}

namespace {

// Sizes beyond this are drawn as this; no screen is that large.
constexpr std::int32_t MaxDrawnSize = 1 << 24;

} // namespace

int GridAxis::SizeOf(std::int32_t index) const {
    return std::clamp(mSizes.Get(index), 0, MaxDrawnSize);
}

std::int64_t GridAxis::FixedExtent() const {
    return mSizes.Sum(0, mFixed, LineWidth);
}

std::int32_t GridAxis::MaxFirst(std::int64_t scrollExtent) const {
    // The first index from which the last one is shown with as many before it as fit.
    return mCount <= mFixed ? mFixed : FirstShowing(mFixed, mCount - 1, scrollExtent);
}

std::int32_t GridAxis::FirstShowing(std::int32_t first, std::int32_t target,
                                    std::int64_t scrollExtent) const {
    if (target < mFixed) {
        return first;
    }
    if (target <= first) {
        return target;
    }
    // The smallest first index from which target still ends inside the viewport. Each step
    // back takes at least one pixel, so the walk is as long as the viewport is wide.
    std::int32_t candidate = target;
    std::int64_t used = std::int64_t{SizeOf(target)} + LineWidth;
    while (candidate > first) {
        const std::int64_t next = used + SizeOf(candidate - 1) + LineWidth;
        if (next > scrollExtent) {
            break;
        }
        used = next;
        --candidate;
    }
    return candidate;
}

std::int32_t GridAxis::WholeCount(std::int32_t first, std::int64_t scrollExtent) const {
    std::int32_t n = 0;
    std::int64_t used = 0;
    for (std::int32_t i = first; i < mCount; ++i) {
        used += std::int64_t{SizeOf(i)} + LineWidth;
        if (used > scrollExtent) {
            break;
        }
        ++n;
    }
    return std::max(n, 1);
}

std::vector<GridAxis::Span> GridAxis::Visible(std::int32_t first, int extent) const {
    std::vector<Span> spans;
    std::int64_t pos = 0;
    auto add = [&](std::int32_t index) {
        const int size = SizeOf(index);
        spans.push_back({index, static_cast<int>(pos), size});
        pos += std::int64_t{size} + LineWidth;
    };
    for (std::int32_t i = 0; i < mFixed && pos < extent; ++i) {
        add(i);
    }
    for (std::int32_t i = std::max(first, mFixed); i < mCount && pos < extent; ++i) {
        add(i);
    }
    return spans;
}

std::int64_t GridAxis::PosOf(std::int32_t first, std::int32_t index) const {
    if (index < mFixed) {
        return mSizes.Sum(0, index, LineWidth);
    }
    const std::int64_t fixedExtent = FixedExtent();
    if (index >= first) {
        return fixedExtent + mSizes.Sum(first, index, LineWidth);
    }
    return fixedExtent - mSizes.Sum(index, first, LineWidth);
}

} // namespace app
