#pragma once

#include "app/GridEditCommands.h"
#include "app/GridEditorPlacement.h"
#include "app/GridInput.h"
#include "app/GridNavigation.h"
#include "holiday/HolidayTable.h"
#include "holiday/HolidayTableObserver.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QRect>
#include <cstdint>
#include <functional>
#include <optional>

class QLineEdit;

namespace holiday {
class TableHistory;
}

namespace app {

class GridAxis;

// The grid `sg`: the view of the one HolidayTable. It paints the table directly with the
// table's own coordinates (64-bit pixel positions, sparse widths and heights), so painting,
// scrolling and count changes cost only what is visible. Fixed rows and columns stay in place
// while the rest scrolls. The keys and the mouse go to its GridInput, the cell editor is kept
// over its cell by its GridEditorPlacement.
//
// The scroll bars count scrolling columns and rows, not pixels: the view always starts at a
// whole column and row, and the table's top-left cell follows the scroll position.
class HolidayGrid : public QAbstractScrollArea, private holiday::HolidayTableObserver {
    Q_OBJECT
public:
    using EditorOpening = app::EditorOpening;

    explicit HolidayGrid(holiday::HolidayTable& table, QWidget* parent = nullptr);
    ~HolidayGrid() override;

    [[nodiscard]] holiday::HolidayTable& Table() noexcept { return mTable; }

    // Fonts: ordinary cells (the window's Tahoma) and fixed cells (Arial), from ApplicationFonts
    // at start. A row lower than a font's TextHeight shows no text in that font.
    void SetCellFont(const QFont& font);
    void SetFixedFont(const QFont& font);
    [[nodiscard]] QFont CellFont() const;
    [[nodiscard]] QFont FixedFont() const;

    // Runs for every key press that reaches the grid or its cell editor (every key but Tab),
    // before the grid's own handling; the form binds its sgKeyDown here. A handler that sets
    // the key to 0 takes the key press away from the grid.
    std::function<void(int& key, Qt::KeyboardModifiers modifiers)> OnKeyDown;

    // The history that typing, pasting, cutting and deleting in the grid record into and that
    // its undo and redo use (none: they record nothing, and undo does nothing). Not owned.
    void SetHistory(holiday::TableHistory* history) noexcept { mHistory = history; }
    [[nodiscard]] holiday::TableHistory* History() const noexcept { return mHistory; }
    // Copy, cut, paste, delete, select all, undo and redo on the table (keys and context menu).
    [[nodiscard]] GridEditCommands& EditCommands() noexcept { return mCommands; }

    // The context menu's entries that run the window's commands ("add row", "delete current
    // row"); an entry whose command is unset is not shown. "Year view…" is shown on a
    // configuration column (column 5 on) while OnYearView is set, and gets that column.
    std::function<void()> OnAddRow;
    std::function<void()> OnDeleteCurrentRow;
    std::function<void(std::int32_t col)> OnYearView;

    // The move of the Enter key, for an OnKeyDown handler: CurrentCell one step as move says
    // (none beyond the last row or column; a move closes the editor and is scrolled into view).
    // The grid's own handling of the same Enter press then opens or closes the editor.
    void MoveByEnter(EnterMove move);

    [[nodiscard]] bool IsEditorOpen() const noexcept { return mEditor.IsOpen(); }
    // Opens the editor on CurrentCell (never on a fixed cell) and scrolls it into view; an open
    // editor only takes the new caret and selection.
    void OpenEditor(EditorOpening how) { mEditor.Open(how); }
    // Closes the editor; the cell already holds its text. The focus stays in the grid.
    void CloseEditor() { mEditor.Close(); }
    [[nodiscard]] QLineEdit* Editor() const noexcept;

    // The cell's rectangle in viewport coordinates (may lie outside the viewport), without the
    // grid lines to its right and below.
    [[nodiscard]] QRect CellRect(holiday::GridCoord cell) const;
    // The cell under a viewport position (fixed cells included); none outside every cell.
    [[nodiscard]] std::optional<holiday::GridCoord> CellAt(QPoint pos) const;
    // Scrolls so that CurrentCell is visible.
    void ScrollToCurrentCell();
    // Scrolls as little as possible so that the cell is visible whole (as far as it fits).
    void ScrollToCell(holiday::GridCoord cell);
    // The first scrolling column and row shown.
    [[nodiscard]] holiday::GridCoord ScrollPosition() const noexcept { return {mLeftCol, mTopRow}; }
    // The table's current cell, anchor and counts with the grid's rows and editor, for
    // NavigateGrid.
    [[nodiscard]] GridNavigationState NavigationState();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class GridInput;
    friend class GridEditorPlacement;
    friend class GridEditCommands;
    friend class GridContextMenu;

    // holiday::HolidayTableObserver
    void CellsChanged(holiday::GridCoord first, holiday::GridCoord last) override;
    void ExtentChanged(holiday::GridCoord oldExtent) override;
    void FixedCountsChanged() override;
    void CurrentCellMoved(holiday::GridCoord old, bool scrollIntoView) override;
    void AnchorChanged() override;
    void TopLeftChanged() override;
    void ColWidthChanged(std::int32_t col) override;
    void RowHeightChanged(std::int32_t row) override;

    [[nodiscard]] GridAxis Cols() const;
    [[nodiscard]] GridAxis Rows() const;

    // Layout: scroll ranges, the clamped scroll position and the editor's place. Changes of
    // counts and sizes only mark it stale; it is brought up to date before it is used.
    void InvalidateLayout();
    void EnsureLayout();
    void Relayout();
    void ScrollTo(std::int32_t leftCol, std::int32_t topRow);
    void SyncScrollBars();
    void UpdateVisibleEnds();

    // Repainting: the block of cells as far as it is visible.
    [[nodiscard]] QRect BlockRect(const holiday::CellRange& block) const;
    void UpdateBlock(const holiday::CellRange& block);
    void UpdateCell(holiday::GridCoord cell) { UpdateBlock({cell, cell}); }
    void UpdateSelection();
    void Paint(const QRect& dirty);
    void PaintCell(QPainter& painter, holiday::GridCoord cell, const QRect& rect, bool selected,
                   bool focused) const;

    holiday::HolidayTable& mTable;
    QFont mCellFont;
    QFont mFixedFont;
    int mCellTextHeight = 0; // a row lower than this shows no text
    int mFixedTextHeight = 0;

    std::int32_t mLeftCol = 0;
    std::int32_t mTopRow = 0;
    std::int32_t mMaxLeftCol = 0;
    std::int32_t mMaxTopRow = 0;
    std::int32_t mLastVisibleCol = 0; // the last scrolling column that the viewport shows a part of
    std::int32_t mLastVisibleRow = 0;
    bool mLayoutStale = true;
    bool mLayoutScheduled = false; // a turn of the event loop will bring it up to date
    bool mInRelayout = false;
    bool mSyncingBars = false; // the grid itself sets the scroll bars

    holiday::CellRange mShownSelection; // the selected block as last painted

    holiday::TableHistory* mHistory = nullptr;
    GridEditorPlacement mEditor;
    GridEditCommands mCommands;
    GridInput mInput;
};

} // namespace app
