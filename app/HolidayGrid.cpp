#include "app/HolidayGrid.h"

#include "app/ApplicationFonts.h"
#include "app/ErrorDisplay.h"
#include "app/GridAxis.h"
#include "app/GridCellEditor.h"
#include "app/GridContextMenu.h"
#include "app/HolidayGridAccessible.h"
#include "app/ShownText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace app {

using holiday::GridCoord;

namespace {

constexpr int TextInset = 2;
// A cell draws at most this many characters per pixel of its width; a longer text could not
// show more and would only cost layout time.
constexpr int MaxDrawnCharsPerPixel = 2;
constexpr int MinDrawnChars = 64;

} // namespace

HolidayGrid::HolidayGrid(holiday::HolidayTable& table, QWidget* parent)
    : QAbstractScrollArea(parent), mTable(table), mCellFont(WindowFont()),
      mFixedFont(FixedCellFont()), mEditor(*this), mCommands(*this, mEditor),
      mInput(*this, mEditor, mCommands) {
    mCellTextHeight = TextHeight(mCellFont);
    mFixedTextHeight = TextHeight(mFixedFont);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);

    GridCellEditor& editor = mEditor.Editor();
    editor.setFont(mCellFont);
    editor.OnKey = [this](QKeyEvent* event) { return mInput.Key(*event, GridInput::From::Editor); };
    editor.OnTab = [this](bool forward) {
        mEditor.Close();
        focusNextPrevChild(forward);
    };
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* /*old*/, QWidget* now) {
        RunGuarded(this, [this, now] { mEditor.FocusChanged(now); });
    });

    mLeftCol = mTable.TopLeft().Col;
    mTopRow = mTable.TopLeft().Row;
    mShownSelection = mTable.Selection().Block;
    mTable.AddObserver(this);
    InvalidateLayout();
}

HolidayGrid::~HolidayGrid() {
    // The editor drops its focus while it is destroyed, after this destructor has run.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    mTable.RemoveObserver(this);
}

// --- Fonts -------------------------------------------------------------------------------------

void HolidayGrid::SetCellFont(const QFont& font) {
    mCellFont = font;
    mCellTextHeight = TextHeight(font);
    mEditor.Editor().setFont(font);
    viewport()->update();
}

void HolidayGrid::SetFixedFont(const QFont& font) {
    mFixedFont = font;
    mFixedTextHeight = TextHeight(font);
    viewport()->update();
}

QFont HolidayGrid::CellFont() const {
    return mCellFont;
}

QFont HolidayGrid::FixedFont() const {
    return mFixedFont;
}

// --- Geometry ----------------------------------------------------------------------------------

GridAxis HolidayGrid::Cols() const {
    return GridAxis(mTable.ColWidths(), mTable.FixedCols(), mTable.ColCount());
}

GridAxis HolidayGrid::Rows() const {
    return GridAxis(mTable.RowHeights(), mTable.FixedRows(), mTable.RowCount());
}

QRect HolidayGrid::CellRect(GridCoord cell) const {
    const GridAxis cols = Cols();
    const GridAxis rows = Rows();
    return {GridAxis::ScreenPos(cols.PosOf(mLeftCol, cell.Col)),
            GridAxis::ScreenPos(rows.PosOf(mTopRow, cell.Row)), cols.SizeOf(cell.Col),
            rows.SizeOf(cell.Row)};
}

std::optional<GridCoord> HolidayGrid::CellAt(QPoint pos) const {
    auto find = [](const std::vector<GridAxis::Span>& spans, int p) -> std::optional<std::int32_t> {
        for (const auto& span : spans) {
            // The grid line after an index belongs to it.
            if (p >= span.Pos && p <= span.Pos + span.Size) {
                return span.Index;
            }
        }
        return std::nullopt;
    };
    if (pos.x() < 0 || pos.y() < 0) {
        return std::nullopt;
    }
    const auto col = find(Cols().Visible(mLeftCol, viewport()->width()), pos.x());
    const auto row = find(Rows().Visible(mTopRow, viewport()->height()), pos.y());
    if (!col || !row) {
        return std::nullopt;
    }
    return GridCoord{*col, *row};
}

// --- Layout and scrolling ----------------------------------------------------------------------

void HolidayGrid::InvalidateLayout() {
    mLayoutStale = true;
    viewport()->update();
    if (!mLayoutScheduled) {
        mLayoutScheduled = true;
        QTimer::singleShot(0, this, Guarded(this, [this] {
                               mLayoutScheduled = false;
                               EnsureLayout();
                           }));
    }
}

void HolidayGrid::EnsureLayout() {
    if (mLayoutStale && !mInRelayout) {
        Relayout();
    }
}

void HolidayGrid::Relayout() {
    {
        const QScopedValueRollback inRelayout(mInRelayout, true);
        // Showing or hiding a scroll bar resizes the viewport, which asks for the layout again.
        for (int pass = 0; pass < 3 && (pass == 0 || mLayoutStale); ++pass) {
            mLayoutStale = false;
            const GridAxis cols = Cols();
            const GridAxis rows = Rows();
            const std::int64_t fixedWidth = cols.FixedExtent();
            const std::int64_t fixedHeight = rows.FixedExtent();
            const QSize whole = maximumViewportSize();
            const QSize now = viewport()->size();
            const std::int32_t fixedCols = mTable.FixedCols();
            const std::int32_t fixedRows = mTable.FixedRows();
            if (cols.MaxFirst(whole.width() - fixedWidth) == fixedCols &&
                rows.MaxFirst(whole.height() - fixedHeight) == fixedRows) {
                mMaxLeftCol = fixedCols;
                mMaxTopRow = fixedRows;
            } else {
                mMaxLeftCol = cols.MaxFirst(now.width() - fixedWidth);
                mMaxTopRow = rows.MaxFirst(now.height() - fixedHeight);
            }
            mLeftCol = std::clamp(mLeftCol, fixedCols, mMaxLeftCol);
            mTopRow = std::clamp(mTopRow, fixedRows, mMaxTopRow);
            SyncScrollBars();
        }
        mLayoutStale = false;
    }
    UpdateVisibleEnds();
    if (mTable.TopLeft() != GridCoord{mLeftCol, mTopRow}) {
        mTable.SetTopLeft({mLeftCol, mTopRow});
    }
    mEditor.Place();
}

void HolidayGrid::SyncScrollBars() {
    const GridAxis cols = Cols();
    const GridAxis rows = Rows();
    const QSize now = viewport()->size();
    const QScopedValueRollback syncing(mSyncingBars, true);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, mMaxLeftCol - mTable.FixedCols());
    h->setPageStep(cols.WholeCount(mLeftCol, now.width() - cols.FixedExtent()));
    h->setValue(mLeftCol - mTable.FixedCols());
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, mMaxTopRow - mTable.FixedRows());
    v->setPageStep(rows.WholeCount(mTopRow, now.height() - rows.FixedExtent()));
    v->setValue(mTopRow - mTable.FixedRows());
}

void HolidayGrid::UpdateVisibleEnds() {
    const auto cols = Cols().Visible(mLeftCol, viewport()->width());
    const auto rows = Rows().Visible(mTopRow, viewport()->height());
    mLastVisibleCol = cols.empty() ? mLeftCol - 1 : std::max(cols.back().Index, mLeftCol - 1);
    mLastVisibleRow = rows.empty() ? mTopRow - 1 : std::max(rows.back().Index, mTopRow - 1);
}

void HolidayGrid::ScrollTo(std::int32_t leftCol, std::int32_t topRow) {
    EnsureLayout();
    leftCol = std::clamp(leftCol, mTable.FixedCols(), mMaxLeftCol);
    topRow = std::clamp(topRow, mTable.FixedRows(), mMaxTopRow);
    if (leftCol != mLeftCol || topRow != mTopRow) {
        mLeftCol = leftCol;
        mTopRow = topRow;
        SyncScrollBars();
        UpdateVisibleEnds();
        mEditor.Place();
        viewport()->update();
    }
    if (mTable.TopLeft() != GridCoord{mLeftCol, mTopRow}) {
        mTable.SetTopLeft({mLeftCol, mTopRow});
    }
}

void HolidayGrid::scrollContentsBy(int /*dx*/, int /*dy*/) {
    RunGuarded(this, [&] {
        if (mSyncingBars) {
            return;
        }
        ScrollTo(mTable.FixedCols() + horizontalScrollBar()->value(),
                 mTable.FixedRows() + verticalScrollBar()->value());
    });
}

void HolidayGrid::ScrollToCell(GridCoord cell) {
    EnsureLayout();
    const GridAxis cols = Cols();
    const GridAxis rows = Rows();
    const std::int64_t width = viewport()->width() - cols.FixedExtent();
    const std::int64_t height = viewport()->height() - rows.FixedExtent();
    ScrollTo(cols.FirstShowing(mLeftCol, cell.Col, width),
             rows.FirstShowing(mTopRow, cell.Row, height));
}

void HolidayGrid::ScrollToCurrentCell() {
    ScrollToCell(mTable.CurrentCell());
}

void HolidayGrid::resizeEvent(QResizeEvent* event) {
    RunGuarded(this, [&] {
        QAbstractScrollArea::resizeEvent(event);
        mLayoutStale = true;
        if (!mInRelayout) {
            Relayout();
        }
    });
}

// --- Painting ----------------------------------------------------------------------------------

QRect HolidayGrid::BlockRect(const holiday::CellRange& block) const {
    // The visible part of one axis: the fixed indexes of the block, then its scrolling ones from
    // the first shown to the last shown. The two parts meet where the fixed area ends.
    auto span = [](const GridAxis& axis, std::int32_t fixed, std::int32_t first,
                   std::int32_t lastVisible, std::int32_t lo,
                   std::int32_t hi) -> std::optional<std::pair<std::int64_t, std::int64_t>> {
        std::optional<std::int32_t> from;
        std::optional<std::int32_t> to;
        if (lo < fixed) {
            from = lo;
            to = std::min(hi, fixed - 1);
        }
        const std::int32_t scrollFrom = std::max(lo, first);
        const std::int32_t scrollTo = std::min(hi, lastVisible);
        if (scrollFrom <= scrollTo) {
            if (!from) {
                from = scrollFrom;
            }
            to = scrollTo;
        }
        if (!from) {
            return std::nullopt;
        }
        const std::int64_t start = axis.PosOf(first, *from);
        const std::int64_t end = axis.PosOf(first, *to) + axis.SizeOf(*to) + GridAxis::LineWidth;
        return std::pair{start, end};
    };
    if (block.IsEmpty()) {
        return {};
    }
    const auto x = span(Cols(), mTable.FixedCols(), mLeftCol, mLastVisibleCol, block.TopLeft.Col,
                        block.BottomRight.Col);
    const auto y = span(Rows(), mTable.FixedRows(), mTopRow, mLastVisibleRow, block.TopLeft.Row,
                        block.BottomRight.Row);
    if (!x || !y) {
        return {};
    }
    const QRect rect(
        QPoint(GridAxis::ScreenPos(x->first), GridAxis::ScreenPos(y->first)),
        QPoint(GridAxis::ScreenPos(x->second - 1), GridAxis::ScreenPos(y->second - 1)));
    return rect.intersected(viewport()->rect());
}

void HolidayGrid::UpdateBlock(const holiday::CellRange& block) {
    if (mLayoutStale) {
        return; // the whole viewport is repainted anyway
    }
    if (const QRect r = BlockRect(block); !r.isEmpty()) {
        viewport()->update(r);
    }
}

void HolidayGrid::UpdateSelection() {
    UpdateBlock(mShownSelection);
    mShownSelection = mTable.Selection().Block;
    UpdateBlock(mShownSelection);
}

void HolidayGrid::paintEvent(QPaintEvent* event) {
    RunGuarded(this, [this, event] { Paint(event->rect()); });
}

void HolidayGrid::Paint(const QRect& dirty) {
    EnsureLayout();
    QPainter painter(viewport());
    painter.fillRect(dirty, palette().color(QPalette::Base));

    const auto cols = Cols().Visible(mLeftCol, viewport()->width());
    const auto rows = Rows().Visible(mTopRow, viewport()->height());
    const holiday::CellSelection selection = mTable.Selection();
    const bool focused = hasFocus() || mEditor.Editor().hasFocus();

    for (const auto& row : rows) {
        if (row.Pos > dirty.bottom() || row.Pos + row.Size < dirty.top()) {
            continue;
        }
        for (const auto& col : cols) {
            if (col.Pos > dirty.right() || col.Pos + col.Size < dirty.left()) {
                continue;
            }
            const GridCoord cell{col.Index, row.Index};
            // The current cell shows as ordinary, with the focus frame.
            const bool selected = selection.Block.Contains(cell) && cell != selection.Current;
            PaintCell(painter, cell, QRect(col.Pos, row.Pos, col.Size, row.Size), selected,
                      focused && cell == selection.Current);
        }
    }
}

void HolidayGrid::PaintCell(QPainter& painter, GridCoord cell, const QRect& rect, bool selected,
                            bool focused) const {
    const QPalette& pal = palette();
    const bool fixed = mTable.IsFixed(cell);
    // The grid lines to the right of and below the cell.
    painter.setPen(pal.color(fixed ? QPalette::Shadow : QPalette::Mid));
    painter.drawLine(rect.right() + 1, rect.top(), rect.right() + 1, rect.bottom() + 1);
    painter.drawLine(rect.left(), rect.bottom() + 1, rect.right() + 1, rect.bottom() + 1);
    if (rect.isEmpty()) {
        return;
    }

    QColor textColor;
    if (fixed) {
        painter.fillRect(rect, pal.color(QPalette::Button));
        // Raised edge: light above and to the left, dark below and to the right.
        painter.setPen(pal.color(QPalette::Light));
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(pal.color(QPalette::Dark));
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
        textColor = pal.color(QPalette::WindowText);
    } else if (selected) {
        painter.fillRect(rect, pal.color(QPalette::Highlight));
        textColor = pal.color(QPalette::HighlightedText);
    } else {
        painter.fillRect(rect, pal.color(QPalette::Base));
        textColor = pal.color(QPalette::Text);
    }

    const QFont& font = fixed ? mFixedFont : mCellFont;
    // The text keeps 2 pixels from every side of the cell.
    const QRect textRect = rect.adjusted(TextInset, TextInset, -TextInset, -TextInset);
    if (rect.height() >= (fixed ? mFixedTextHeight : mCellTextHeight) && !textRect.isEmpty()) {
        // Only as much of the text as the cell can show is read and laid out.
        const int maxChars = std::max(MinDrawnChars, rect.width() * MaxDrawnCharsPerPixel);
        const QString text = Utf8Prefix(CellBytes(mTable, cell), maxChars);
        if (!text.isEmpty()) {
            painter.setFont(font);
            painter.setPen(textColor);
            painter.save();
            painter.setClipRect(textRect, Qt::IntersectClip);
            painter.drawText(
                textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                text);
            painter.restore();
        }
    }

    if (focused) {
        QPen pen(pal.color(QPalette::Text));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

// --- Keys, mouse and focus ---------------------------------------------------------------------

QLineEdit* HolidayGrid::Editor() const noexcept {
    return &mEditor.Editor();
}

void HolidayGrid::MoveByEnter(EnterMove move) {
    mInput.MoveByEnter(move);
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

void HolidayGrid::keyPressEvent(QKeyEvent* event) {
    bool handled = true;
    RunGuarded(this, [&] {
        if (mEditor.IsHidden()) {
            // The editor of a cell scrolled away under the fixed cells takes the keys as if it
            // had the focus.
            QCoreApplication::sendEvent(&mEditor.Editor(), event);
            return;
        }
        handled = mInput.Key(*event, GridInput::From::Grid);
    });
    if (handled) {
        event->accept();
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void HolidayGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    RunGuarded(this, [this, event] { mInput.LeftPress(event->position().toPoint()); });
    event->accept();
}

void HolidayGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void HolidayGrid::contextMenuEvent(QContextMenuEvent* event) {
    RunGuarded(this, [this, event] {
        GridContextMenu::Show(*this, event->pos(), event->reason() == QContextMenuEvent::Mouse);
    });
    event->accept();
}

void HolidayGrid::mouseMoveEvent(QMouseEvent* event) {
    bool handled = false;
    RunGuarded(this, [&] { handled = mInput.Move(event->position().toPoint(), event->buttons()); });
    if (handled) {
        event->accept();
    } else {
        QAbstractScrollArea::mouseMoveEvent(event);
    }
}

void HolidayGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && mInput.LeftRelease()) {
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void HolidayGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    RunGuarded(this, [this] {
        UpdateCell(mTable.CurrentCell());
        HolidayGridAccessible::CurrentCellMoved(*this);
    });
}

void HolidayGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    RunGuarded(this, [this] { UpdateCell(mTable.CurrentCell()); });
}

// --- Table notifications -----------------------------------------------------------------------

void HolidayGrid::CellsChanged(GridCoord first, GridCoord last) {
    const holiday::CellRange block = holiday::CellRange::Spanning(first, last);
    mEditor.CellsChanged(block);
    UpdateBlock(block);
    HolidayGridAccessible::CellsChanged(*this, first, last);
}

void HolidayGrid::ExtentChanged(GridCoord /*oldExtent*/) {
    InvalidateLayout();
    HolidayGridAccessible::TableChanged(*this);
}

void HolidayGrid::FixedCountsChanged() {
    mEditor.Close();
    InvalidateLayout();
    const GridCoord topLeft = mTable.TopLeft();
    mLeftCol = topLeft.Col;
    mTopRow = topLeft.Row;
    EnsureLayout();
    HolidayGridAccessible::TableChanged(*this);
}

void HolidayGrid::CurrentCellMoved(GridCoord /*old*/, bool scrollIntoView) {
    mEditor.Close();
    UpdateSelection();
    if (scrollIntoView) {
        ScrollToCurrentCell();
    }
    HolidayGridAccessible::CurrentCellMoved(*this);
}

void HolidayGrid::AnchorChanged() {
    UpdateSelection();
}

void HolidayGrid::TopLeftChanged() {
    const GridCoord topLeft = mTable.TopLeft();
    if (topLeft != GridCoord{mLeftCol, mTopRow}) {
        ScrollTo(topLeft.Col, topLeft.Row);
    }
}

void HolidayGrid::ColWidthChanged(std::int32_t /*col*/) {
    InvalidateLayout();
}

void HolidayGrid::RowHeightChanged(std::int32_t /*row*/) {
    InvalidateLayout();
}

} // namespace app
