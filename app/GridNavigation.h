#pragma once

#include "holiday/GridCoord.h"

#include <cstdint>

namespace app {

// The grid's keyboard navigation, free of Qt: from the table's state and a key it gives the new
// current cell, selection anchor, top row and whether the cell editor is open. The grid applies
// the result (the move of Enter through HolidayGrid::MoveByEnter, which the form's sgKeyDown
// calls, then the grid's own handling of the key, which opens or closes the editor).

// The keys that move the current cell or the selection, or open and close the editor.
enum class GridKey { Up, Down, Left, Right, PageUp, PageDown, Home, End, Enter };

// Where Enter moves the current cell: the form's choice, or nowhere when no handler chose
// (the grid then only opens or closes the editor).
enum class EnterMove { None, Down, Right };

struct GridNavigationState {
    holiday::GridCoord Current;
    holiday::GridCoord Anchor;
    holiday::GridCoord FirstCell; // the first scrolling cell: (FixedCols, FixedRows)
    holiday::GridCoord Extent;    // (ColCount, RowCount)
    std::int32_t TopRow = 0;      // the first scrolling row shown
    std::int32_t MaxTopRow = 0;
    std::int32_t PageRows = 0; // whole rows the viewport shows below the fixed rows
    bool EditorOpen = false;
};

struct GridNavigation {
    holiday::GridCoord Current;
    holiday::GridCoord Anchor;
    std::int32_t TopRow = 0;
    bool EditorOpen = false;

    friend bool operator==(const GridNavigation&, const GridNavigation&) = default;
};

// Arrows, page keys, Home and End (Ctrl+Home/End: the table's first or last cell) move the
// current cell within the scrolling cells and collapse the selection onto it; with Shift they
// move the anchor instead. A move of the current cell closes the editor, as does Shift with
// Up, Down or a page key. Enter moves the current cell one step as enter says (none at the
// last row or column), then opens the editor on a moved cell, and otherwise toggles it; with
// Ctrl it types nothing, so only the move happens.
[[nodiscard]] GridNavigation NavigateGrid(const GridNavigationState& state, GridKey key, bool shift,
                                          bool ctrl, EnterMove enter = EnterMove::None) noexcept;

} // namespace app
