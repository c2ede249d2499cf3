// The grid's input: keys, the cell editor, focus and the mouse.
#include "app/ErrorDisplay.h"
#include "app/GridAxis.h"
#include "app/GridCellEditor.h"
#include "app/HolidayGrid.h"
#include "app/HolidayGridAccessible.h"
#include "app/ShownText.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
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

// The navigation key of a Qt key code that HandleKey passes to MoveByKey.
[[nodiscard]] GridKey GridKeyOf(int key) noexcept {
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
    default:
        return GridKey::End;
    }
}

} // namespace

bool HolidayGrid::IsTypingKey(const QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace) {
        return true;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    // Ctrl or Alt alone make commands; both together are AltGr on many layouts and type.
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    if (ctrl != alt) {
        return false;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

bool HolidayGrid::HandleKey(QKeyEvent* event, bool fromEditor) {
    int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    mEnterPending = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (OnKeyDown) {
        OnKeyDown(key, mods);
        if (key == 0) {
            return true;
        }
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mEnterPending) {
            PressEnter(EnterMove::None, mods);
        }
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        MoveByKey(GridKeyOf(key), mods);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (fromEditor) {
            return false; // they move the caret
        }
        MoveByKey(GridKeyOf(key), mods);
        return true;
    case Qt::Key_Escape:
        return true; // neither closes nor restores
    case Qt::Key_F2:
        if (!fromEditor) {
            OpenEditor(EditorOpening::CaretAtEnd);
        }
        return true;
    default:
        break;
    }
    if (fromEditor || !IsTypingKey(event)) {
        return false;
    }
    if (!IsEditorOpen()) {
        OpenEditor(EditorOpening::SelectAll);
    }
    if (IsEditorOpen()) {
        // The keystroke replaces the selected text.
        mForwardingKey = true;
        QCoreApplication::sendEvent(mEditor, event);
        mForwardingKey = false;
    }
    return true;
}

GridNavigationState HolidayGrid::NavigationState() {
    EnsureLayout();
    return {mTable.CurrentCell(),
            mTable.Anchor(),
            {mTable.FixedCols(), mTable.FixedRows()},
            {mTable.ColCount(), mTable.RowCount()},
            mTopRow,
            mMaxTopRow,
            Rows().WholeCount(mTopRow, viewport()->height() - Rows().FixedExtent()),
            IsEditorOpen()};
}

void HolidayGrid::MoveByKey(GridKey key, Qt::KeyboardModifiers modifiers) {
    const bool extend = modifiers & Qt::ShiftModifier;
    const GridNavigation to =
        NavigateGrid(NavigationState(), key, extend, modifiers & Qt::ControlModifier);
    if (!to.EditorOpen) {
        CloseEditor();
    }
    ScrollTo(mLeftCol, to.TopRow);
    if (extend) {
        mTable.SetAnchor(to.Anchor);
        ScrollToCell(mTable.Anchor());
    } else {
        mTable.SetCurrentCell(to.Current);
        ScrollToCurrentCell();
    }
}

void HolidayGrid::PressEnter(EnterMove move, Qt::KeyboardModifiers modifiers) {
    mEnterPending = false;
    const GridNavigation to =
        NavigateGrid(NavigationState(), GridKey::Enter, modifiers & Qt::ShiftModifier,
                     modifiers & Qt::ControlModifier, move);
    if (to.Current != mTable.CurrentCell()) {
        mTable.SetCurrentCell(to.Current); // closes the editor
        ScrollToCurrentCell();
    }
    mTable.SetAnchor(to.Anchor);
    if (!to.EditorOpen) {
        CloseEditor();
    } else if (!IsEditorOpen()) {
        OpenEditor(EditorOpening::SelectAll);
    }
}

void HolidayGrid::keyPressEvent(QKeyEvent* event) {
    RunGuarded(this, [&] {
        if (HandleKey(event, false)) {
            event->accept();
        } else {
            QAbstractScrollArea::keyPressEvent(event);
        }
    });
}

void HolidayGrid::LeaveByTab(bool forward) {
    CloseEditor();
    focusNextPrevChild(forward);
}

// --- Cell editor -------------------------------------------------------------------------------

bool HolidayGrid::IsEditorOpen() const noexcept {
    return mEditorOpen;
}

QLineEdit* HolidayGrid::Editor() const noexcept {
    return mEditor;
}

void HolidayGrid::OpenEditor(EditorOpening how) {
    const GridCoord cell = mTable.CurrentCell();
    if (IsFixed(cell)) {
        return;
    }
    if (!mEditorOpen) {
        ScrollToCell(cell);
        mEditCell = cell;
        mEditorOpen = true;
        SyncEditorFromCell();
        PlaceEditor();
        mEditor->show();
        mEditor->setFocus(Qt::OtherFocusReason);
    }
    if (how == EditorOpening::SelectAll) {
        mEditor->SelectWholeText();
    } else {
        mEditor->MoveCaretToEnd();
    }
}

void HolidayGrid::CloseEditor() {
    if (!mEditorOpen) {
        return;
    }
    mEditorOpen = false;
    // Hiding the focused editor would pass the focus on to the next control.
    if (mEditor->hasFocus()) {
        setFocus(Qt::OtherFocusReason);
    }
    mEditor->hide();
    // The closed editor keeps no copy of a text that may be huge.
    mEditor->SetWholeText({});
    UpdateBlock(mEditCell, mEditCell);
}

void HolidayGrid::PlaceEditor() {
    if (!mEditorOpen) {
        return;
    }
    if (mEditCell.Col < mLeftCol || mEditCell.Row < mTopRow) {
        // Scrolled away under the fixed cells: keep it (and the focus), out of sight.
        mEditor->setGeometry(-1000, -1000, 10, 10);
        return;
    }
    mEditor->setGeometry(CellRect(mEditCell));
}

void HolidayGrid::SyncEditorFromCell() {
    const std::string_view text = CellBytes(mTable, mEditCell);
    if (mEditor->WholeText() == text) {
        return;
    }
    mSyncingEditor = true;
    mEditor->SetWholeText(text);
    mSyncingEditor = false;
}

void HolidayGrid::OnEditorTextChanged() {
    RunGuarded(this, [&] {
        if (mSyncingEditor || !mEditorOpen) {
            return;
        }
        const QScopedValueRollback writing(mWritingFromEditor, true);
        mTable.SetCell(mEditCell.Col, mEditCell.Row, mEditor->WholeText());
    });
}

void HolidayGrid::OnFocusChanged(QWidget* /*old*/, QWidget* now) {
    RunGuarded(this, [&] {
        // The editor closes when the focus goes to another control of this window; a popup, a
        // dialog or another application leave it open. While it is open it keeps the focus within
        // the grid (a right click or a click on a grid line would otherwise take it), so that the
        // caret keys keep moving the caret.
        if (!mEditorOpen || now == nullptr) {
            return;
        }
        if (now == this || now == viewport()) {
            mEditor->setFocus(Qt::OtherFocusReason);
            return;
        }
        if (isAncestorOf(now) || now->window() != window()) {
            return;
        }
        CloseEditor();
    });
}

void HolidayGrid::focusInEvent(QFocusEvent* event) {
    RunGuarded(this, [&] {
        QAbstractScrollArea::focusInEvent(event);
        UpdateBlock(mTable.CurrentCell(), mTable.CurrentCell());
        HolidayGridAccessible::CurrentCellMoved(*this);
    });
}

void HolidayGrid::focusOutEvent(QFocusEvent* event) {
    RunGuarded(this, [&] {
        QAbstractScrollArea::focusOutEvent(event);
        UpdateBlock(mTable.CurrentCell(), mTable.CurrentCell());
    });
}

// --- Mouse -------------------------------------------------------------------------------------

std::optional<std::int32_t> HolidayGrid::RowBorderAt(QPoint pos) const {
    if (mTable.FixedCols() < 1 || pos.x() < 0 || pos.x() >= Cols().FixedExtent()) {
        return std::nullopt;
    }
    std::optional<std::int32_t> nearest;
    int best = BorderGrip + 1;
    for (const auto& span : Rows().Visible(mTopRow, viewport()->height())) {
        const int distance = std::abs(pos.y() - (span.Pos + span.Size));
        if (distance < best || (distance == best && nearest)) {
            best = distance;
            nearest = span.Index;
        }
    }
    return nearest;
}

void HolidayGrid::mousePressEvent(QMouseEvent* event) {
    RunGuarded(this, [&] {
        if (event->button() != Qt::LeftButton) {
            QAbstractScrollArea::mousePressEvent(event);
            return;
        }
        EnsureLayout();
        const QPoint pos = event->position().toPoint();
        if (const auto row = RowBorderAt(pos)) {
            mResizingRow = *row;
            mResizeStartY = pos.y();
            mResizeStartHeight = mTable.RowHeight(*row);
            event->accept();
            return;
        }
        const auto cell = CellAt(pos);
        if (!cell || IsFixed(*cell)) {
            // The press took the focus from an open editor; give it back.
            if (IsEditorOpen()) {
                mEditor->setFocus(Qt::MouseFocusReason);
            }
            event->accept();
            return;
        }
        if (*cell == mTable.CurrentCell()) {
            if (!IsEditorOpen()) {
                OpenEditor(EditorOpening::SelectAll);
            }
        } else {
            mTable.SetCurrentCell(*cell);
            ScrollToCurrentCell();
        }
        event->accept();
    });
}

void HolidayGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void HolidayGrid::mouseMoveEvent(QMouseEvent* event) {
    RunGuarded(this, [&] {
        const QPoint pos = event->position().toPoint();
        if (mResizingRow >= 0) {
            if (mResizingRow < mTable.RowCount()) {
                const std::int64_t height =
                    std::int64_t{mResizeStartHeight} + (pos.y() - mResizeStartY);
                mTable.SetRowHeight(
                    mResizingRow,
                    static_cast<std::int32_t>(std::clamp<std::int64_t>(
                        height, MinDraggedRowHeight, std::numeric_limits<std::int32_t>::max())));
            }
            event->accept();
            return;
        }
        if (event->buttons() == Qt::NoButton && RowBorderAt(pos)) {
            viewport()->setCursor(Qt::SplitVCursor);
        } else {
            viewport()->unsetCursor();
        }
        QAbstractScrollArea::mouseMoveEvent(event);
    });
}

void HolidayGrid::mouseReleaseEvent(QMouseEvent* event) {
    RunGuarded(this, [&] {
        if (event->button() == Qt::LeftButton && mResizingRow >= 0) {
            mResizingRow = -1;
            event->accept();
            return;
        }
        QAbstractScrollArea::mouseReleaseEvent(event);
    });
}

// --- Table notifications -----------------------------------------------------------------------

} // namespace app
