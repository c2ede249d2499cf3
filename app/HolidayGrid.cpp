#include "app/HolidayGrid.h"

#include "app/ApplicationFonts.h"
#include "app/ErrorDisplay.h"
#include "app/GridAxis.h"
#include "app/GridCellEditor.h"
#include "app/HolidayGridAccessible.h"
#include "app/ShownText.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
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

[[nodiscard]] int ClampToInt(std::int64_t v) noexcept {
    // Far outside any viewport, yet with room for a width added to it.
    constexpr std::int64_t Limit = std::int64_t{1} << 30;
    return static_cast<int>(std::clamp(v, -Limit, Limit));
}

} // namespace

HolidayGrid::HolidayGrid(holiday::HolidayTable& table, QWidget* parent)
    : QAbstractScrollArea(parent), mTable(table), mCellFont(WindowFont()),
      mFixedFont(FixedCellFont()) {
    HolidayGridAccessible::Install();
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

    mEditor = new GridCellEditor(viewport());
    mEditor->setFont(mCellFont);
    mEditor->hide();
    mEditor->OnKey = [this](QKeyEvent* event) { return !mForwardingKey && HandleKey(event, true); };
    mEditor->OnTab = [this](bool forward) { LeaveByTab(forward); };
    connect(mEditor, &GridCellEditor::CellTextChanged, this, &HolidayGrid::OnEditorTextChanged);
    connect(qApp, &QApplication::focusChanged, this, &HolidayGrid::OnFocusChanged);

    mLeftCol = mTable.TopLeft().Col;
    mTopRow = mTable.TopLeft().Row;
    mShownCurrent = mTable.CurrentCell();
    mShownAnchor = mTable.Anchor();
    mTable.AddObserver(this);
    InvalidateLayout();
}

HolidayGrid::~HolidayGrid() {
    // The editor drops its focus while it is destroyed, after this destructor has run.
    disconnect(qApp, &QApplication::focusChanged, this, &HolidayGrid::OnFocusChanged);
    mTable.RemoveObserver(this);
}

// --- Fonts -------------------------------------------------------------------------------------

void HolidayGrid::SetCellFont(const QFont& font) {
    mCellFont = font;
    mCellTextHeight = TextHeight(font);
    mEditor->setFont(font);
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

bool HolidayGrid::IsFixed(GridCoord cell) const noexcept {
    return cell.Col < mTable.FixedCols() || cell.Row < mTable.FixedRows();
}

QRect HolidayGrid::CellRect(GridCoord cell) const {
    const GridAxis cols = Cols();
    const GridAxis rows = Rows();
    return {ClampToInt(cols.PosOf(mLeftCol, cell.Col)), ClampToInt(rows.PosOf(mTopRow, cell.Row)),
            cols.SizeOf(cell.Col), rows.SizeOf(cell.Row)};
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
    mLayoutDirty = true;
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
    if (mLayoutDirty && !mInRelayout) {
        Relayout();
    }
}

void HolidayGrid::Relayout() {
    mInRelayout = true;
    // Showing or hiding a scroll bar resizes the viewport, which asks for the layout again.
    for (int pass = 0; pass < 3 && (pass == 0 || mLayoutDirty); ++pass) {
        mLayoutDirty = false;
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
    mLayoutDirty = false;
    mInRelayout = false;
    UpdateVisibleEnds();
    if (mTable.TopLeft() != GridCoord{mLeftCol, mTopRow}) {
        mTable.SetTopLeft({mLeftCol, mTopRow});
    }
    PlaceEditor();
}

void HolidayGrid::SyncScrollBars() {
    const GridAxis cols = Cols();
    const GridAxis rows = Rows();
    const QSize now = viewport()->size();
    mSyncingBars = true;
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, mMaxLeftCol - mTable.FixedCols());
    h->setPageStep(cols.WholeCount(mLeftCol, now.width() - cols.FixedExtent()));
    h->setValue(mLeftCol - mTable.FixedCols());
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, mMaxTopRow - mTable.FixedRows());
    v->setPageStep(rows.WholeCount(mTopRow, now.height() - rows.FixedExtent()));
    v->setValue(mTopRow - mTable.FixedRows());
    mSyncingBars = false;
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
        PlaceEditor();
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
        mLayoutDirty = true;
        if (!mInRelayout) {
            Relayout();
        }
    });
}

// --- Painting ----------------------------------------------------------------------------------

QRect HolidayGrid::BlockRect(GridCoord a, GridCoord b) const {
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
    const auto x = span(Cols(), mTable.FixedCols(), mLeftCol, mLastVisibleCol,
                        std::min(a.Col, b.Col), std::max(a.Col, b.Col));
    const auto y = span(Rows(), mTable.FixedRows(), mTopRow, mLastVisibleRow,
                        std::min(a.Row, b.Row), std::max(a.Row, b.Row));
    if (!x || !y) {
        return {};
    }
    const QRect block(QPoint(ClampToInt(x->first), ClampToInt(y->first)),
                      QPoint(ClampToInt(x->second - 1), ClampToInt(y->second - 1)));
    return block.intersected(viewport()->rect());
}

void HolidayGrid::UpdateBlock(GridCoord a, GridCoord b) {
    if (mLayoutDirty) {
        return; // the whole viewport is repainted anyway
    }
    if (const QRect r = BlockRect(a, b); !r.isEmpty()) {
        viewport()->update(r);
    }
}

void HolidayGrid::UpdateSelection() {
    UpdateBlock(mShownCurrent, mShownAnchor);
    mShownCurrent = mTable.CurrentCell();
    mShownAnchor = mTable.Anchor();
    UpdateBlock(mShownCurrent, mShownAnchor);
}

void HolidayGrid::paintEvent(QPaintEvent* event) {
    RunGuarded(this, [&] {
        EnsureLayout();
        QPainter painter(viewport());
        const QRect dirty = event->rect();
        painter.fillRect(dirty, palette().color(QPalette::Base));

        const auto cols = Cols().Visible(mLeftCol, viewport()->width());
        const auto rows = Rows().Visible(mTopRow, viewport()->height());
        const GridCoord current = mTable.CurrentCell();
        const GridCoord anchor = mTable.Anchor();
        const std::int32_t selLeft = std::min(current.Col, anchor.Col);
        const std::int32_t selRight = std::max(current.Col, anchor.Col);
        const std::int32_t selTop = std::min(current.Row, anchor.Row);
        const std::int32_t selBottom = std::max(current.Row, anchor.Row);
        const bool focused = hasFocus() || mEditor->hasFocus();

        for (const auto& row : rows) {
            if (row.Pos > dirty.bottom() || row.Pos + row.Size < dirty.top()) {
                continue;
            }
            for (const auto& col : cols) {
                if (col.Pos > dirty.right() || col.Pos + col.Size < dirty.left()) {
                    continue;
                }
                const GridCoord cell{col.Index, row.Index};
                const bool selected = col.Index >= selLeft && col.Index <= selRight &&
                                      row.Index >= selTop && row.Index <= selBottom &&
                                      cell != current && !IsFixed(cell);
                PaintCell(painter, cell, QRect(col.Pos, row.Pos, col.Size, row.Size), selected,
                          focused && cell == current);
            }
        }
    });
}

void HolidayGrid::PaintCell(QPainter& painter, GridCoord cell, const QRect& rect, bool selected,
                            bool focused) const {
    const QPalette& pal = palette();
    const bool fixed = IsFixed(cell);
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

// --- Keyboard ----------------------------------------------------------------------------------

void HolidayGrid::CellsChanged(GridCoord first, GridCoord last) {
    if (mEditorOpen && !mWritingFromEditor && mEditCell.Col >= first.Col &&
        mEditCell.Col <= last.Col && mEditCell.Row >= first.Row && mEditCell.Row <= last.Row) {
        SyncEditorFromCell();
    }
    UpdateBlock(first, last);
    HolidayGridAccessible::CellsChanged(*this, first, last);
}

void HolidayGrid::ExtentChanged(GridCoord /*oldExtent*/) {
    InvalidateLayout();
    HolidayGridAccessible::TableChanged(*this);
}

void HolidayGrid::FixedCountsChanged() {
    CloseEditor();
    InvalidateLayout();
    const GridCoord topLeft = mTable.TopLeft();
    mLeftCol = topLeft.Col;
    mTopRow = topLeft.Row;
    EnsureLayout();
    HolidayGridAccessible::TableChanged(*this);
}

void HolidayGrid::CurrentCellMoved(GridCoord /*old*/, bool scrollIntoView) {
    CloseEditor();
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
