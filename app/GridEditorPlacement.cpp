#include "app/GridEditorPlacement.h"

#include "app/ErrorDisplay.h"
#include "app/GridCellEditor.h"
#include "app/HolidayGrid.h"
#include "app/HolidayGridAccessible.h"
#include "app/ShownText.h"
#include "holiday/TableHistory.h"

#include <QScopedValueRollback>

namespace app {

using holiday::GridCoord;

GridEditorPlacement::GridEditorPlacement(HolidayGrid& grid) : mGrid(grid) {
    // The grid's and the editor's accessible interfaces. Qt keeps the first interface it made
    // for a widget, so the editor's must be known before the editor exists.
    HolidayGridAccessible::Install();
    mEditor = new GridCellEditor(grid.viewport());
    mEditor->hide();
    QObject::connect(mEditor, &GridCellEditor::CellTextChanged, &grid,
                     Guarded(&grid, [this] { WriteToCell(); }));
}

bool GridEditorPlacement::IsHidden() const noexcept {
    return mCell && !mEditor->isVisible();
}

void GridEditorPlacement::Open(EditorOpening how) {
    const GridCoord cell = mGrid.mTable.CurrentCell();
    if (mGrid.mTable.IsFixed(cell)) {
        return;
    }
    if (!mCell) {
        mGrid.ScrollToCell(cell);
        mCell = cell;
        mEditKey = holiday::TableHistory::NewMergeKey();
        TakeCellText();
        Place();
        mEditor->show();
        mEditor->setFocus(Qt::OtherFocusReason);
    }
    if (how == EditorOpening::SelectAll) {
        mEditor->SelectWholeText();
    } else {
        mEditor->MoveCaretToEnd();
    }
}

void GridEditorPlacement::Close() {
    if (!mCell) {
        return;
    }
    const GridCoord cell = *mCell;
    mCell.reset();
    // Hiding the focused editor would pass the focus on to the next control.
    if (mEditor->hasFocus()) {
        mGrid.setFocus(Qt::OtherFocusReason);
    }
    mEditor->hide();
    // The closed editor keeps no copy of a text that may be huge.
    mEditor->SetWholeText({});
    mGrid.UpdateCell(cell);
}

void GridEditorPlacement::Place() {
    if (!mCell) {
        return;
    }
    if (mCell->Col < mGrid.mLeftCol || mCell->Row < mGrid.mTopRow) {
        // Scrolled away under the fixed cells: out of sight, the focus held by the grid.
        if (mEditor->isVisible()) {
            if (mEditor->hasFocus()) {
                mGrid.setFocus(Qt::OtherFocusReason);
            }
            mEditor->hide();
        }
        return;
    }
    mEditor->setGeometry(mGrid.CellRect(*mCell));
    if (!mEditor->isVisible()) {
        mEditor->show();
        if (mGrid.hasFocus()) {
            mEditor->setFocus(Qt::OtherFocusReason);
        }
    }
}

void GridEditorPlacement::CellsChanged(const holiday::CellRange& block) {
    if (mCell && !mWritingToCell && block.Contains(*mCell)) {
        TakeCellText();
    }
}

void GridEditorPlacement::TakeCellText() {
    const std::string_view text = CellBytes(mGrid.mTable, *mCell);
    if (mEditor->WholeText() == text) {
        return;
    }
    const QScopedValueRollback taking(mTakingCellText, true);
    mEditor->SetWholeText(text);
}

void GridEditorPlacement::WriteToCell() {
    if (mTakingCellText || !mCell) {
        return;
    }
    const QScopedValueRollback writing(mWritingToCell, true);
    if (holiday::TableHistory* history = mGrid.History()) {
        const holiday::TableHistory::Step step(*history, mEditKey);
        mGrid.mTable.SetCell(mCell->Col, mCell->Row, mEditor->WholeText());
        return;
    }
    mGrid.mTable.SetCell(mCell->Col, mCell->Row, mEditor->WholeText());
}

void GridEditorPlacement::FocusChanged(QWidget* now) {
    if (!mCell || now == nullptr) {
        return;
    }
    if (now == &mGrid || now == mGrid.viewport()) {
        if (mEditor->isVisible()) {
            mEditor->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    if (mGrid.isAncestorOf(now) || now->window() != mGrid.window()) {
        return;
    }
    Close();
}

} // namespace app
