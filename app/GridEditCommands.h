#pragma once

#include <cstdint>

namespace holiday {
class TableHistory;
}

namespace app {

class GridEditorPlacement;
class HolidayGrid;

// The grid's commands on blocks of cells and on the table's history, for its keys and its
// context menu: the selected block (or the current cell) copied to the clipboard as
// tab-separated text and as an HTML table, cut, emptied, the clipboard's text pasted, the
// whole table selected, and undo and redo. Each closes the cell editor first (the cell already
// holds its text) and records its change as one step of the history, when the grid has one.
// They throw the table's errors ("Gitter zu groß für Operation" for a block too large).
class GridEditCommands {
public:
    GridEditCommands(HolidayGrid& grid, GridEditorPlacement& editor) noexcept
        : mGrid(grid), mEditor(editor) {}

    void Copy();
    void Cut();
    // Tab-separated text from the selected block's top-left cell on, growing the table where
    // it does not reach; then the pasted block is selected. A single cell's text fills every
    // cell of a selected block. A clipboard without text pastes nothing.
    void Paste();
    void Delete();
    void SelectAll();
    void Undo();
    void Redo();

    [[nodiscard]] bool CanUndo() const noexcept;
    [[nodiscard]] bool CanRedo() const noexcept;
    [[nodiscard]] static bool CanPaste();

private:
    [[nodiscard]] holiday::TableHistory* History() const noexcept;
    void ShowPlaceAfterUndo(bool undo);

    HolidayGrid& mGrid;
    GridEditorPlacement& mEditor;
};

} // namespace app
