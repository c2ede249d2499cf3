#pragma once

#include "holiday/GridCoord.h"

#include <algorithm>
#include <cstdint>

namespace holiday {

// A block of cells: every cell from TopLeft to BottomRight, both included. Empty when
// BottomRight lies left of or above TopLeft.
struct CellRange {
    GridCoord TopLeft;
    GridCoord BottomRight;

    // The block with a and b at two of its corners, in any order.
    [[nodiscard]] static constexpr CellRange Spanning(GridCoord a, GridCoord b) noexcept {
        return {{std::min(a.Col, b.Col), std::min(a.Row, b.Row)},
                {std::max(a.Col, b.Col), std::max(a.Row, b.Row)}};
    }

    [[nodiscard]] constexpr bool IsEmpty() const noexcept {
        return BottomRight.Col < TopLeft.Col || BottomRight.Row < TopLeft.Row;
    }
    [[nodiscard]] constexpr bool Contains(GridCoord cell) const noexcept {
        return cell.Col >= TopLeft.Col && cell.Col <= BottomRight.Col && cell.Row >= TopLeft.Row &&
               cell.Row <= BottomRight.Row;
    }
    // The cells of the block; 0 when it is empty.
    [[nodiscard]] constexpr std::int64_t CellCount() const noexcept {
        if (IsEmpty()) {
            return 0;
        }
        return (std::int64_t{BottomRight.Col} - TopLeft.Col + 1) *
               (std::int64_t{BottomRight.Row} - TopLeft.Row + 1);
    }
    // The cells in both blocks (empty when they do not meet).
    [[nodiscard]] constexpr CellRange Intersected(const CellRange& other) const noexcept {
        return {
            {std::max(TopLeft.Col, other.TopLeft.Col), std::max(TopLeft.Row, other.TopLeft.Row)},
            {std::min(BottomRight.Col, other.BottomRight.Col),
             std::min(BottomRight.Row, other.BottomRight.Row)}};
    }

    friend constexpr bool operator==(const CellRange&, const CellRange&) = default;
};

// The selected block of the table with the two cells that make it: the current cell, which
// the keyboard moves and the editor opens on, and the anchor, its far corner, which Shift
// with a move key moves. Block holds both and every cell between them.
struct CellSelection {
    GridCoord Current;
    GridCoord Anchor;
    CellRange Block;

    friend constexpr bool operator==(const CellSelection&, const CellSelection&) = default;
};

} // namespace holiday
