#pragma once

#include "holiday/GridCoord.h"

#include <cstdint>

namespace holiday {

// What a view of the table is told. Every notification arrives after the change is complete
// and the table's invariants hold again. The default implementations ignore the news, so an
// observer overrides only what it shows.
class HolidayTableObserver {
public:
    virtual ~HolidayTableObserver() = default;

    // The texts of the cells in the rectangle first..last (both inclusive) may have changed.
    virtual void CellsChanged(GridCoord /*first*/, GridCoord /*last*/) {}
    // ColCount and/or RowCount changed; the widths and heights already follow the new counts.
    virtual void ExtentChanged(GridCoord /*oldExtent*/) {}
    // FixedCols and/or FixedRows changed (CurrentCell, anchor and top-left moved with them).
    virtual void FixedCountsChanged() {}
    // CurrentCell moved. scrollIntoView is true when the view must scroll to show it (the
    // resize steps clamped it); any move closes an open cell editor.
    virtual void CurrentCellMoved(GridCoord /*old*/, bool /*scrollIntoView*/) {}
    // The selection anchor changed without CurrentCell moving.
    virtual void AnchorChanged() {}
    // The top-left scrolling cell was set by the table (the fixed-count setters reset it).
    virtual void TopLeftChanged() {}
    // The width of one column, or the height of one row, changed.
    virtual void ColWidthChanged(std::int32_t /*col*/) {}
    virtual void RowHeightChanged(std::int32_t /*row*/) {}
};

} // namespace holiday
