#pragma once

#include <QPoint>

namespace app {

class HolidayGrid;

// The grid's context menu: Cut, Copy, Paste, Delete, Undo, Redo, "add row", "delete current
// row" and, on a configuration column (column 5 on) while the grid's OnYearView is set,
// "Year view…". A right click on an ordinary cell outside the selected block first makes it
// the current cell, as spreadsheets do; on a fixed cell or beside the cells the entries that
// act on cells are greyed, as are Undo and Redo with nothing to undo or redo and Paste without
// text on the clipboard. Every entry runs under RunGuarded. Entries are named "grid-cut",
// "grid-copy", "grid-paste", "grid-delete", "grid-undo", "grid-redo", "grid-add-row",
// "grid-delete-row", "grid-year-view".
class GridContextMenu {
public:
    // Opens the menu (a popup that deletes itself) at pos in viewport coordinates; from the
    // keyboard (byMouse false) at the current cell.
    static void Show(HolidayGrid& grid, QPoint pos, bool byMouse);
};

} // namespace app
