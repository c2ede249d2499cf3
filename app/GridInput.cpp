#include "app/GridInput.h"

#include "app/GridAxis.h"
#include "app/GridCellEditor.h"
#include "app/GridEditCommands.h"
#include "app/GridEditorPlacement.h"
#include "app/HolidayGrid.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace app {

using holiday::GridCoord;

namespace {

// How far from a row border the mouse may be to drag it.
constexpr int BorderGrip = 2;
constexpr std::int32_t MinDraggedRowHeight = 1;

// The move key of a Qt key code; none for every other key.
[[nodiscard]] std::optional<GridKey> GridKeyOf(int key) noexcept {
    switch (key) {
    case Qt::Key_Up:
        return GridKey::Up;
    case Qt::Key_Down:
        return GridKey::Down;
    case Qt::Key_PageUp:
        return GridKey::PageUp;
    case Qt::Key_PageDown:
        return GridKey::PageDown;
    case Qt::Key_Left:
        return GridKey::Left;
    case Qt::Key_Right:
        return GridKey::Right;
    case Qt::Key_Home:
        return GridKey::Home;
    case Qt::Key_End:
        return GridKey::End;
    default:
        return std::nullopt;
    }
}

// The keys that move the caret within the editor rather than the current cell.
[[nodiscard]] bool IsCaretKey(GridKey key) noexcept {
    return key == GridKey::Left || key == GridKey::Right || key == GridKey::Home ||
           key == GridKey::End;
}

} // namespace

bool GridInput::IsTypingKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_Backspace || GridCellEditor::TypesCharacter(event);
}

bool GridInput::Key(QKeyEvent& event, From from) {
    if (mForwardingKey) {
        return false; // the typed key that opened the editor, on its way to it
    }
    int key = event.key();
    const Qt::KeyboardModifiers mods = event.modifiers();
    if (mGrid.OnKeyDown) {
        mGrid.OnKeyDown(key, mods);
        if (key == 0) {
            return true;
        }
    }
    if (const std::optional<GridKey> move = GridKeyOf(key)) {
        if (from == From::Editor && IsCaretKey(*move)) {
            return false;
        }
        MoveByKey(*move, mods);
        return true;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // After the handler's move, if any: opens or closes the editor.
        Enter(EnterMove::None, mods & Qt::ShiftModifier, mods & Qt::ControlModifier);
        return true;
    case Qt::Key_Escape:
        return true; // neither closes nor restores
    case Qt::Key_F2:
        if (from == From::Grid) {
            mEditor.Open(EditorOpening::CaretAtEnd);
        }
        return true;
    default:
        break;
    }
    if (from == From::Grid && EditKey(event)) {
        return true;
    }
    if (from == From::Editor || !IsTypingKey(event)) {
        return false;
    }
    if (!mEditor.IsOpen()) {
        mEditor.Open(EditorOpening::SelectAll);
    }
    if (mEditor.IsOpen()) {
        // The keystroke replaces the selected text.
        const QScopedValueRollback forwarding(mForwardingKey, true);
        QCoreApplication::sendEvent(&mEditor.Editor(), &event);
    }
    return true;
}

bool GridInput::EditKey(const QKeyEvent& event) {
    // Cut before Delete: Shift+Delete cuts.
    if (event.matches(QKeySequence::Cut)) {
        mCommands.Cut();
    } else if (event.matches(QKeySequence::Copy)) {
        mCommands.Copy();
    } else if (event.matches(QKeySequence::Paste)) {
        mCommands.Paste();
    } else if (event.matches(QKeySequence::Delete) ||
               (event.key() == Qt::Key_Delete && event.modifiers() == Qt::NoModifier)) {
        mCommands.Delete();
    } else if (event.matches(QKeySequence::SelectAll)) {
        mCommands.SelectAll();
    } else if (event.matches(QKeySequence::Undo)) {
        mCommands.Undo();
    } else if (event.matches(QKeySequence::Redo) ||
               (event.key() == Qt::Key_Y && event.modifiers() == Qt::ControlModifier) ||
               (event.key() == Qt::Key_Z &&
                event.modifiers() == (Qt::ControlModifier | Qt::ShiftModifier))) {
        mCommands.Redo();
    } else {
        return false;
    }
    return true;
}

void GridInput::MoveByKey(GridKey key, Qt::KeyboardModifiers modifiers) {
    const bool extend = modifiers & Qt::ShiftModifier;
    const GridNavigation to =
        NavigateGrid(mGrid.NavigationState(), key, extend, modifiers & Qt::ControlModifier);
    if (!to.EditorOpen) {
        mEditor.Close();
    }
    holiday::HolidayTable& table = mGrid.Table();
    mGrid.ScrollTo(mGrid.mLeftCol, to.TopRow);
    if (extend) {
        table.SetAnchor(to.Anchor);
        mGrid.ScrollToCell(table.Anchor());
    } else {
        table.SetCurrentCell(to.Current);
        mGrid.ScrollToCurrentCell();
    }
}

void GridInput::MoveByEnter(EnterMove move) {
    // As with Ctrl held the key types nothing: the move alone, the editor left to the grid's
    // own handling of the key.
    Enter(move, false, true);
}

void GridInput::Enter(EnterMove move, bool shift, bool ctrl) {
    holiday::HolidayTable& table = mGrid.Table();
    const GridNavigation to =
        NavigateGrid(mGrid.NavigationState(), GridKey::Enter, shift, ctrl, move);
    if (to.Current != table.CurrentCell()) {
        table.SetCurrentCell(to.Current); // closes the editor
        mGrid.ScrollToCurrentCell();
    }
    table.SetAnchor(to.Anchor);
    if (!to.EditorOpen) {
        mEditor.Close();
    } else if (!mEditor.IsOpen()) {
        mEditor.Open(EditorOpening::SelectAll);
    }
}

std::optional<std::int32_t> GridInput::RowBorderAt(QPoint pos) const {
    const holiday::HolidayTable& table = mGrid.mTable;
    if (table.FixedCols() < 1 || pos.x() < 0 || pos.x() >= mGrid.Cols().FixedExtent()) {
        return std::nullopt;
    }
    std::optional<std::int32_t> nearest;
    int best = BorderGrip + 1;
    for (const auto& span : mGrid.Rows().Visible(mGrid.mTopRow, mGrid.viewport()->height())) {
        const int distance = std::abs(pos.y() - (span.Pos + span.Size));
        if (distance < best || (distance == best && nearest)) {
            best = distance;
            nearest = span.Index;
        }
    }
    return nearest;
}

void GridInput::LeftPress(QPoint pos) {
    holiday::HolidayTable& table = mGrid.Table();
    mGrid.EnsureLayout();
    if (const auto row = RowBorderAt(pos)) {
        mDrag = RowDrag{*row, pos.y(), table.RowHeight(*row)};
        return;
    }
    const auto cell = mGrid.CellAt(pos);
    if (!cell || table.IsFixed(*cell)) {
        // The press took the focus from an open editor; give it back.
        if (mEditor.IsOpen() && !mEditor.IsHidden()) {
            mEditor.Editor().setFocus(Qt::MouseFocusReason);
        }
        return;
    }
    if (*cell == table.CurrentCell()) {
        if (!mEditor.IsOpen()) {
            mEditor.Open(EditorOpening::SelectAll);
        }
    } else {
        table.SetCurrentCell(*cell);
        mGrid.ScrollToCurrentCell();
    }
}

bool GridInput::Move(QPoint pos, Qt::MouseButtons buttons) {
    holiday::HolidayTable& table = mGrid.Table();
    if (mDrag) {
        if (mDrag->Row < table.RowCount()) {
            const std::int64_t height =
                std::int64_t{mDrag->StartHeight} + (pos.y() - mDrag->StartY);
            table.SetRowHeight(mDrag->Row, static_cast<std::int32_t>(std::clamp<std::int64_t>(
                                               height, MinDraggedRowHeight,
                                               std::numeric_limits<std::int32_t>::max())));
        }
        return true;
    }
    if (buttons == Qt::NoButton && RowBorderAt(pos)) {
        mGrid.viewport()->setCursor(Qt::SplitVCursor);
    } else {
        mGrid.viewport()->unsetCursor();
    }
    return false;
}

bool GridInput::LeftRelease() {
    if (!mDrag) {
        return false;
    }
    mDrag.reset();
    return true;
}

} // namespace app
