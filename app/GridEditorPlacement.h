#pragma once

#include "holiday/CellRange.h"
#include "holiday/GridCoord.h"

#include <cstdint>
#include <optional>

class QWidget;

namespace app {

class GridCellEditor;
class HolidayGrid;

// How the cell editor opens.
enum class EditorOpening {
    SelectAll,  // Enter while closed, a second click: the whole text selected
    CaretAtEnd, // F2: caret after the text, nothing selected
};

// The grid's cell editor over its cell. It opens the editor on the table's current cell, keeps
// it over that cell as the grid scrolls, keeps the editor's text and the cell's the same both
// ways, and closes it. While the cell lies scrolled away under the fixed cells the editor is
// hidden, stays open and the grid holds the focus for it (the grid passes it every key); it
// shows again, with the focus, once the cell is scrolled back into view. What one opening
// writes into its cell is one step of the grid's history.
class GridEditorPlacement {
public:
    // Makes the editor, hidden, as a child of the grid's viewport.
    explicit GridEditorPlacement(HolidayGrid& grid);

    [[nodiscard]] GridCellEditor& Editor() const noexcept { return *mEditor; }
    [[nodiscard]] bool IsOpen() const noexcept { return mCell.has_value(); }
    // Open, but hidden: its cell is scrolled away under the fixed cells.
    [[nodiscard]] bool IsHidden() const noexcept;

    // Opens the editor on CurrentCell (never on a fixed cell) and scrolls it into view; an open
    // editor only takes the new caret and selection.
    void Open(EditorOpening how);
    // Closes the editor; the cell already holds its text. The focus stays in the grid.
    void Close();
    // Puts an open editor over its cell as the grid now shows it.
    void Place();
    // The texts of block changed: an open editor on one of them takes its cell's text, unless
    // the change came from the editor.
    void CellsChanged(const holiday::CellRange& block);
    // The focus went to now (none: to another application). The editor closes when the focus
    // goes to another control of the window; a popup, a dialog or another application leave it
    // open. While it is open it keeps the focus within the grid (a right click or a click on a
    // grid line would otherwise take it), so that the caret keys keep moving the caret.
    void FocusChanged(QWidget* now);

private:
    void WriteToCell();
    void TakeCellText();

    HolidayGrid& mGrid;
    GridCellEditor* mEditor;                 // owned by the grid's viewport
    std::optional<holiday::GridCoord> mCell; // the cell being edited, while open
    bool mTakingCellText = false;            // the editor takes its cell's text
    bool mWritingToCell = false;             // the editor's text goes into its cell
    std::uint64_t mEditKey = 0; // the history's step of this opening: one step per cell edited
};

} // namespace app
