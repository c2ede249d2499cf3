#pragma once

#include "holiday/HolidayTable.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <cstdint>
#include <functional>

namespace app {

class HolidayGrid;

// What assistive technology sees of the grid `sg`: a table of the HolidayTable's rows and
// columns whose children are the cells, row by row. A cell's name and value are its text, at
// most its first 10,000 characters followed by "…"; the current cell is the focused child; the
// cells between the anchor and the current cell are the selected ones; row 0 is the column
// header while it is fixed. The cell editor, while it is open, is the only child of the current
// cell, and that cell is its parent.
//
// Cell interfaces are made when first asked for and kept until the table's counts change.
class HolidayGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit HolidayGridAccessible(HolidayGrid* grid);
    ~HolidayGridAccessible() override;

    HolidayGridAccessible(const HolidayGridAccessible&) = delete;
    HolidayGridAccessible& operator=(const HolidayGridAccessible&) = delete;

    // Makes Qt use this interface for every HolidayGrid; repeated calls do nothing.
    static void Install();

    // QAccessibleInterface
    void* interface_cast(QAccessible::InterfaceType type) override;
    [[nodiscard]] int childCount() const override;
    [[nodiscard]] QAccessibleInterface* child(int index) const override;
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
    [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;
    [[nodiscard]] QAccessibleInterface* focusChild() const override;

    // QAccessibleTableInterface
    [[nodiscard]] QAccessibleInterface* caption() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* summary() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* cellAt(int row, int column) const override;
    [[nodiscard]] int selectedCellCount() const override;
    [[nodiscard]] QList<QAccessibleInterface*> selectedCells() const override;
    [[nodiscard]] QString columnDescription(int column) const override;
    [[nodiscard]] QString rowDescription(int /*row*/) const override { return {}; }
    [[nodiscard]] int selectedColumnCount() const override;
    [[nodiscard]] int selectedRowCount() const override;
    [[nodiscard]] int columnCount() const override;
    [[nodiscard]] int rowCount() const override;
    [[nodiscard]] QList<int> selectedColumns() const override;
    [[nodiscard]] QList<int> selectedRows() const override;
    [[nodiscard]] bool isColumnSelected(int column) const override;
    [[nodiscard]] bool isRowSelected(int row) const override;
    // The selection follows the keyboard only; these change nothing.
    bool selectRow(int /*row*/) override { return false; }
    bool selectColumn(int /*column*/) override { return false; }
    bool unselectRow(int /*row*/) override { return false; }
    bool unselectColumn(int /*column*/) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    // The grid's hooks: they tell assistive technology, when one listens, that the current
    // cell moved (a focus event on it, while the grid has the focus), that the texts of the
    // cells first..last changed (a value change per cell), or that counts or fixed counts
    // changed (a table-model change).
    static void CurrentCellMoved(HolidayGrid& grid);
    static void CellsChanged(HolidayGrid& grid, holiday::GridCoord first, holiday::GridCoord last);
    static void TableChanged(HolidayGrid& grid);

    // Where these events go when set, in place of Qt's accessibility (which drops every event
    // while no assistive technology listens). Tests record the events here.
    using EventSink = std::function<void(QAccessibleEvent*)>;
    [[nodiscard]] static EventSink& EventSinkSeam();

private:
    friend class HolidayGridCellAccessible;
    friend class GridCellEditorAccessible;

    [[nodiscard]] HolidayGrid& Grid() const;
    [[nodiscard]] QAccessibleInterface* Cell(holiday::GridCoord cell) const;
    [[nodiscard]] holiday::CellRange SelectedBlock() const;
    void ForgetCells();

    mutable QHash<std::int64_t, QAccessible::Id> mCells;
};

} // namespace app
