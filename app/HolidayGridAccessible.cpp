#include "app/HolidayGridAccessible.h"

#include "app/GridCellEditor.h"
#include "app/GridCellEditorAccessible.h"
#include "app/HolidayGrid.h"
#include "app/ShownText.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <algorithm>
#include <limits>

namespace app {

using holiday::GridCoord;

namespace {

// selectedCells lists at most this many cells of a larger block; the count stays exact.
constexpr std::int64_t MaxListedCells = 4096;
// A change of more cells than this is announced as one table change.
constexpr std::int64_t MaxAnnouncedCells = 64;
// A cell's name and value show at most this many characters of its text, then "…": a listener
// asks for them on every change, and a cell may hold megabytes.
constexpr qsizetype MaxCellTextShown = 10'000;

[[nodiscard]] int ClampToInt(std::int64_t v) noexcept {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<int>::max()));
}

[[nodiscard]] std::int64_t Key(GridCoord cell) noexcept {
    return (std::int64_t{cell.Row} << 32) | static_cast<std::uint32_t>(cell.Col);
}

// Whether anyone would receive an event: raising one makes the cells' interfaces.
[[nodiscard]] bool Listening() {
    return HolidayGridAccessible::EventSinkSeam() || QAccessible::isActive();
}

void Raise(QAccessibleEvent& event) {
    if (const auto& sink = HolidayGridAccessible::EventSinkSeam()) {
        sink(&event);
    } else {
        QAccessible::updateAccessibility(&event);
    }
}

[[nodiscard]] HolidayGridAccessible* TableOf(HolidayGrid& grid) {
    return dynamic_cast<HolidayGridAccessible*>(QAccessible::queryAccessibleInterface(&grid));
}

[[nodiscard]] QString ShownCellText(const holiday::HolidayTable& table, GridCoord cell) {
    return ElidedLine(CellBytes(table, cell), MaxCellTextShown);
}

} // namespace

// One cell of the grid: no QObject of its own, valid while the grid lives and the cell lies
// within the table's counts.
class HolidayGridCellAccessible : public QAccessibleInterface,
                                  public QAccessibleTableCellInterface {
public:
    HolidayGridCellAccessible(HolidayGrid* grid, GridCoord cell) : mGrid(grid), mCell(cell) {}

    [[nodiscard]] bool isValid() const override {
        return mGrid && mCell.Col < Table().ColCount() && mCell.Row < Table().RowCount();
    }
    [[nodiscard]] QObject* object() const override { return nullptr; }
    [[nodiscard]] QWindow* window() const override {
        return mGrid ? mGrid->window()->windowHandle() : nullptr;
    }
    [[nodiscard]] QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(mGrid.data());
    }
    [[nodiscard]] QAccessibleInterface* child(int index) const override {
        return index == 0 && HasEditor() ? QAccessible::queryAccessibleInterface(mGrid->Editor())
                                         : nullptr;
    }
    [[nodiscard]] int childCount() const override { return HasEditor() ? 1 : 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override {
        return HasEditor() && child != nullptr && child->object() == mGrid->Editor() ? 0 : -1;
    }
    [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* editor = child(0);
        return editor != nullptr && editor->rect().contains(x, y) ? editor : nullptr;
    }
    [[nodiscard]] QString text(QAccessible::Text t) const override {
        if (!isValid() || (t != QAccessible::Name && t != QAccessible::Value)) {
            return {};
        }
        return ShownCellText(Table(), mCell);
    }
    void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}
    [[nodiscard]] QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect local = mGrid->CellRect(mCell);
        return {mGrid->viewport()->mapToGlobal(local.topLeft()), local.size()};
    }
    [[nodiscard]] QAccessible::Role role() const override {
        return IsHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool fixed = IsFixed();
        const GridCoord current = Table().CurrentCell();
        s.focusable = !fixed;
        s.selectable = !fixed;
        s.editable = !fixed;
        s.readOnly = fixed;
        s.focused = mCell == current && mGrid->hasFocus();
        s.active = mCell == current;
        s.selected = isSelected();
        const QRect shown = mGrid->viewport()->rect();
        s.invisible = !mGrid->isVisible();
        s.offscreen = !shown.intersects(mGrid->CellRect(mCell));
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    // QAccessibleTableCellInterface
    [[nodiscard]] bool isSelected() const override {
        const HolidayGridAccessible* table = Owner();
        if (table == nullptr || IsFixed()) {
            return false;
        }
        return Table().Selection().Block.Contains(mCell);
    }
    [[nodiscard]] QList<QAccessibleInterface*> columnHeaderCells() const override {
        const HolidayGridAccessible* table = Owner();
        if (table == nullptr || IsHeader() || Table().FixedRows() == 0) {
            return {};
        }
        return {table->Cell({mCell.Col, 0})};
    }
    [[nodiscard]] QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    [[nodiscard]] int columnIndex() const override { return mCell.Col; }
    [[nodiscard]] int rowIndex() const override { return mCell.Row; }
    [[nodiscard]] int columnExtent() const override { return 1; }
    [[nodiscard]] int rowExtent() const override { return 1; }
    [[nodiscard]] QAccessibleInterface* table() const override { return parent(); }

private:
    [[nodiscard]] const holiday::HolidayTable& Table() const { return mGrid->Table(); }
    [[nodiscard]] HolidayGridAccessible* Owner() const { return mGrid ? TableOf(*mGrid) : nullptr; }
    [[nodiscard]] bool IsFixed() const { return Table().IsFixed(mCell); }
    [[nodiscard]] bool IsHeader() const {
        return mGrid && mCell.Row == 0 && Table().FixedRows() > 0;
    }
    [[nodiscard]] bool HasEditor() const {
        return isValid() && mGrid->IsEditorOpen() && mCell == Table().CurrentCell();
    }

    QPointer<HolidayGrid> mGrid;
    GridCoord mCell;
};

// --- The table ---------------------------------------------------------------------------------

HolidayGridAccessible::HolidayGridAccessible(HolidayGrid* grid)
    : QAccessibleWidget(grid, QAccessible::Table) {}

HolidayGridAccessible::~HolidayGridAccessible() {
    ForgetCells();
}

void HolidayGridAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(
            [](const QString& className, QObject* object) -> QAccessibleInterface* {
                if (object == nullptr || !object->isWidgetType()) {
                    return nullptr;
                }
                if (className == QLatin1String(HolidayGrid::staticMetaObject.className())) {
                    return new HolidayGridAccessible(static_cast<HolidayGrid*>(object));
                }
                if (className == QLatin1String(GridCellEditor::staticMetaObject.className())) {
                    return MakeGridCellEditorAccessible(static_cast<GridCellEditor*>(object));
                }
                return nullptr;
            });
        return true;
    }();
    (void)installed;
}

HolidayGrid& HolidayGridAccessible::Grid() const {
    return *static_cast<HolidayGrid*>(widget());
}

void* HolidayGridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) {
        return static_cast<QAccessibleTableInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* HolidayGridAccessible::Cell(GridCoord cell) const {
    const holiday::HolidayTable& table = Grid().Table();
    if (cell.Col < 0 || cell.Row < 0 || cell.Col >= table.ColCount() ||
        cell.Row >= table.RowCount()) {
        return nullptr;
    }
    if (const auto found = mCells.constFind(Key(cell)); found != mCells.constEnd()) {
        return QAccessible::accessibleInterface(found.value());
    }
    auto* made = new HolidayGridCellAccessible(&Grid(), cell);
    mCells.insert(Key(cell), QAccessible::registerAccessibleInterface(made));
    return made;
}

void HolidayGridAccessible::ForgetCells() {
    for (const QAccessible::Id id : std::as_const(mCells)) {
        QAccessible::deleteAccessibleInterface(id);
    }
    mCells.clear();
}

int HolidayGridAccessible::childCount() const {
    return ClampToInt(std::int64_t{rowCount()} * columnCount());
}

QAccessibleInterface* HolidayGridAccessible::child(int index) const {
    const int cols = columnCount();
    if (index < 0 || cols == 0) {
        return nullptr;
    }
    return Cell({index % cols, index / cols});
}

int HolidayGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (child == nullptr || child->parent() != this) {
        return -1;
    }
    const QAccessibleTableCellInterface* cell =
        const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    if (cell == nullptr) {
        return -1;
    }
    const std::int64_t index = std::int64_t{cell->rowIndex()} * columnCount() + cell->columnIndex();
    return index > std::numeric_limits<int>::max() ? -1 : static_cast<int>(index);
}

QAccessibleInterface* HolidayGridAccessible::childAt(int x, int y) const {
    const QPoint local = Grid().viewport()->mapFromGlobal(QPoint(x, y));
    if (!Grid().viewport()->rect().contains(local)) {
        return nullptr;
    }
    const auto cell = Grid().CellAt(local);
    return cell ? Cell(*cell) : nullptr;
}

QAccessibleInterface* HolidayGridAccessible::focusChild() const {
    if (Grid().IsEditorOpen()) {
        return QAccessible::queryAccessibleInterface(Grid().Editor());
    }
    return Cell(Grid().Table().CurrentCell());
}

QAccessibleInterface* HolidayGridAccessible::cellAt(int row, int column) const {
    return Cell({column, row});
}

holiday::CellRange HolidayGridAccessible::SelectedBlock() const {
    return Grid().Table().Selection().Block;
}

int HolidayGridAccessible::selectedCellCount() const {
    return ClampToInt(SelectedBlock().CellCount());
}

QList<QAccessibleInterface*> HolidayGridAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    const holiday::CellRange block = SelectedBlock();
    const GridCoord a = block.TopLeft;
    const GridCoord b = block.BottomRight;
    for (std::int32_t row = a.Row; row <= b.Row; ++row) {
        for (std::int32_t col = a.Col; col <= b.Col; ++col) {
            if (cells.size() >= MaxListedCells) {
                return cells;
            }
            cells.append(Cell({col, row}));
        }
    }
    return cells;
}

QString HolidayGridAccessible::columnDescription(int column) const {
    const holiday::HolidayTable& table = Grid().Table();
    if (table.FixedRows() == 0 || column < 0 || column >= table.ColCount()) {
        return {};
    }
    return ShownCellText(table, {column, 0});
}

int HolidayGridAccessible::columnCount() const {
    return Grid().Table().ColCount();
}

int HolidayGridAccessible::rowCount() const {
    return Grid().Table().RowCount();
}

bool HolidayGridAccessible::isColumnSelected(int column) const {
    const holiday::CellRange block = SelectedBlock();
    const GridCoord a = block.TopLeft;
    const GridCoord b = block.BottomRight;
    return column >= a.Col && column <= b.Col && a.Row == Grid().Table().FixedRows() &&
           b.Row == rowCount() - 1;
}

bool HolidayGridAccessible::isRowSelected(int row) const {
    const holiday::CellRange block = SelectedBlock();
    const GridCoord a = block.TopLeft;
    const GridCoord b = block.BottomRight;
    return row >= a.Row && row <= b.Row && a.Col == Grid().Table().FixedCols() &&
           b.Col == columnCount() - 1;
}

QList<int> HolidayGridAccessible::selectedColumns() const {
    QList<int> columns;
    const holiday::CellRange block = SelectedBlock();
    const GridCoord a = block.TopLeft;
    const GridCoord b = block.BottomRight;
    for (std::int32_t col = a.Col; col <= b.Col && isColumnSelected(col); ++col) {
        columns.append(col);
    }
    return columns;
}

QList<int> HolidayGridAccessible::selectedRows() const {
    QList<int> rows;
    const holiday::CellRange block = SelectedBlock();
    const GridCoord a = block.TopLeft;
    const GridCoord b = block.BottomRight;
    for (std::int32_t row = a.Row; row <= b.Row && isRowSelected(row); ++row) {
        rows.append(row);
    }
    return rows;
}

int HolidayGridAccessible::selectedColumnCount() const {
    return static_cast<int>(selectedColumns().size());
}

int HolidayGridAccessible::selectedRowCount() const {
    return static_cast<int>(selectedRows().size());
}

void HolidayGridAccessible::modelChange(QAccessibleTableModelChangeEvent* /*event*/) {
    ForgetCells();
}

// --- Events ------------------------------------------------------------------------------------

HolidayGridAccessible::EventSink& HolidayGridAccessible::EventSinkSeam() {
    static EventSink sink;
    return sink;
}

void HolidayGridAccessible::CurrentCellMoved(HolidayGrid& grid) {
    if (!Listening() || !grid.hasFocus()) {
        return;
    }
    if (HolidayGridAccessible* table = TableOf(grid)) {
        if (QAccessibleInterface* cell = table->Cell(grid.Table().CurrentCell())) {
            QAccessibleEvent focus(cell, QAccessible::Focus);
            Raise(focus);
        }
    }
}

void HolidayGridAccessible::CellsChanged(HolidayGrid& grid, GridCoord first, GridCoord last) {
    if (!Listening()) {
        return;
    }
    const holiday::HolidayTable& t = grid.Table();
    const holiday::CellRange block =
        holiday::CellRange::Spanning(first, last)
            .Intersected({{0, 0}, {t.ColCount() - 1, t.RowCount() - 1}});
    if (block.IsEmpty()) {
        return;
    }
    const GridCoord a = block.TopLeft;
    const GridCoord b = block.BottomRight;
    if (block.CellCount() > MaxAnnouncedCells) {
        QAccessibleTableModelChangeEvent change(&grid,
                                                QAccessibleTableModelChangeEvent::DataChanged);
        change.setFirstRow(a.Row);
        change.setLastRow(b.Row);
        change.setFirstColumn(a.Col);
        change.setLastColumn(b.Col);
        Raise(change);
        return;
    }
    HolidayGridAccessible* table = TableOf(grid);
    if (table == nullptr) {
        return;
    }
    for (std::int32_t row = a.Row; row <= b.Row; ++row) {
        for (std::int32_t col = a.Col; col <= b.Col; ++col) {
            QAccessibleInterface* cell = table->Cell({col, row});
            const QString text = cell->text(QAccessible::Value);
            QAccessibleValueChangeEvent value(cell, text);
            Raise(value);
            // Screen readers on Linux follow a cell's text through its name.
            QAccessibleEvent name(cell, QAccessible::NameChanged);
            Raise(name);
        }
    }
}

void HolidayGridAccessible::TableChanged(HolidayGrid& grid) {
    if (!Listening()) {
        return;
    }
    if (HolidayGridAccessible* table = TableOf(grid)) {
        table->ForgetCells(); // Qt does so too, but only while a bridge listens
    }
    QAccessibleTableModelChangeEvent change(&grid, QAccessibleTableModelChangeEvent::ModelReset);
    Raise(change);
}

} // namespace app
