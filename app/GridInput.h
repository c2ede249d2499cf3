#pragma once

#include "app/GridNavigation.h"

#include <QPoint>
#include <Qt>
#include <cstdint>
#include <optional>

class QKeyEvent;

namespace app {

class GridEditCommands;
class GridEditorPlacement;
class HolidayGrid;

// Turns the keys and mouse presses that reach the grid or its cell editor into moves of the
// current cell and the selection, openings and closings of the editor and row heights; each
// says whether it handled its input, which then goes no further. The moves are NavigateGrid's.
class GridInput {
public:
    // Where a key press arrived.
    enum class From { Grid, Editor };

    GridInput(HolidayGrid& grid, GridEditorPlacement& editor, GridEditCommands& commands) noexcept
        : mGrid(grid), mEditor(editor), mCommands(commands) {}

    // A key press: first the grid's OnKeyDown handler, then the grid's own handling. From the
    // editor, the caret keys (Left, Right, Home, End) and every key the grid does not use are
    // left to it; from the grid, a typing key opens the editor with the whole text selected and
    // goes on to it, replacing that text. Escape does nothing. From the grid, the clipboard keys
    // (Copy, Cut, Paste), Delete, Select All, Undo and Redo (Ctrl+Shift+Z and Ctrl+Y) run the
    // grid's edit commands; in the editor they are the editor's own.
    [[nodiscard]] bool Key(QKeyEvent& event, From from);
    // The move of the Enter key alone (HolidayGrid::MoveByEnter).
    void MoveByEnter(EnterMove move);
    // Whether the key types a character (or is Backspace) and so opens the editor.
    [[nodiscard]] static bool IsTypingKey(const QKeyEvent& event);

    // The left button pressed (or double-clicked) at pos, in viewport coordinates: a row
    // border in the fixed first column starts a drag of that row's height; a click on the
    // current cell opens the editor, on another ordinary cell makes it current.
    void LeftPress(QPoint pos);
    // The mouse moved: drags the row border, or shows the resize cursor over one.
    [[nodiscard]] bool Move(QPoint pos, Qt::MouseButtons buttons);
    // The left button released: ends a drag.
    [[nodiscard]] bool LeftRelease();

private:
    // The row height being dragged.
    struct RowDrag {
        std::int32_t Row;
        int StartY;
        std::int32_t StartHeight;
    };

    void MoveByKey(GridKey key, Qt::KeyboardModifiers modifiers);
    // An edit command's key, run; false for every other key.
    [[nodiscard]] bool EditKey(const QKeyEvent& event);
    // One NavigateGrid for Enter, applied: move, anchor, editor.
    void Enter(EnterMove move, bool shift, bool ctrl);
    // The row whose lower border is under pos in the fixed first column.
    [[nodiscard]] std::optional<std::int32_t> RowBorderAt(QPoint pos) const;

    HolidayGrid& mGrid;
    GridEditorPlacement& mEditor;
    GridEditCommands& mCommands;
    std::optional<RowDrag> mDrag;
    bool mForwardingKey = false; // a typed key goes on to the editor as it opens
};

} // namespace app
