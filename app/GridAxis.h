#pragma once

#include "holiday/AxisSizes.h"

#include <cstdint>
#include <vector>

namespace app {

// One axis of the grid's layout (the columns or the rows) in viewport pixels. Every index takes
// its size plus one pixel of grid line after it. The first fixedCount indexes always stand at
// the start; the others scroll, and the view shows them from a first scrolling index on.
//
// Every function costs what the viewport shows (plus the custom sizes in the range it sums),
// never the number of indexes: an axis of 100,000,000 indexes is as fast as one of ten.
class GridAxis {
public:
    static constexpr int LineWidth = 1;

    // An index as the viewport shows it: its start and its size, both in pixels.
    struct Span {
        std::int32_t Index = 0;
        int Pos = 0;
        int Size = 0;
    };

    GridAxis(const holiday::AxisSizes& sizes, std::int32_t fixedCount, std::int32_t count) noexcept
        : mSizes(sizes), mFixed(fixedCount), mCount(count) {}

    // A pixel position as a QRect may hold it: far outside any viewport, yet with room for a
    // size added to it.
    [[nodiscard]] static int ScreenPos(std::int64_t pos) noexcept;
    // The size of one index, limited to what a QRect can hold safely.
    [[nodiscard]] int SizeOf(std::int32_t index) const;
    // The pixels that the fixed indexes take, grid lines included.
    [[nodiscard]] std::int64_t FixedExtent() const;
    // The largest first scrolling index worth scrolling to: the smallest first index from which
    // every index up to the last fits into scrollExtent pixels (the last index alone when even
    // that does not fit). The first scrolling index when everything fits.
    [[nodiscard]] std::int32_t MaxFirst(std::int64_t scrollExtent) const;
    // The first scrolling index that shows target whole, changing first as little as possible.
    [[nodiscard]] std::int32_t FirstShowing(std::int32_t first, std::int32_t target,
                                            std::int64_t scrollExtent) const;
    // How many scrolling indexes from first on fit whole into scrollExtent pixels (at least 1).
    [[nodiscard]] std::int32_t WholeCount(std::int32_t first, std::int64_t scrollExtent) const;
    // The fixed indexes, then the scrolling ones from first on, that start inside extent pixels.
    [[nodiscard]] std::vector<Span> Visible(std::int32_t first, int extent) const;
    // The start of index in pixels from the start of the viewport when the view shows the
    // scrolling indexes from first on; negative for a scrolling index before first.
    [[nodiscard]] std::int64_t PosOf(std::int32_t first, std::int32_t index) const;

private:
    const holiday::AxisSizes& mSizes;
    std::int32_t mFixed;
    std::int32_t mCount;
};

} // namespace app
