#include "app/GridContextMenu.h"

#include "app/ErrorDisplay.h"
#include "app/GridEditCommands.h"
#include "app/HolidayGrid.h"
#include "rules/RuleColumns.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QStyleHints>
#include <functional>
#include <optional>

namespace app {

namespace {

// An entry's text with its shortcut where the desktop shows shortcuts in menus.
[[nodiscard]] QString EntryText(const char* text, std::optional<QKeySequence> key) {
    QString shown = QString::fromUtf8(text);
    if (key && QGuiApplication::styleHints()->showShortcutsInContextMenus()) {
        shown += u'\t' + key->toString(QKeySequence::NativeText);
    }
    return shown;
}

} // namespace

void GridContextMenu::Show(HolidayGrid& grid, QPoint pos, bool byMouse) {
    holiday::HolidayTable& table = grid.Table();
    grid.EnsureLayout();
    std::optional<holiday::GridCoord> cell;
    if (byMouse) {
        cell = grid.CellAt(pos);
        if (cell && !table.IsFixed(*cell) && !table.Selection().Block.Contains(*cell)) {
            table.SetCurrentCell(*cell);
            grid.ScrollToCurrentCell();
        }
    } else {
        cell = table.CurrentCell();
        pos = grid.CellRect(*cell).center();
    }
    const bool onCells = cell && !table.IsFixed(*cell);
    GridEditCommands& commands = grid.EditCommands();

    auto* menu = new QMenu(&grid);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [&grid, menu](const char* name, const QString& text, bool enabled,
                                   std::function<void()> handler) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, &grid, Guarded(&grid, std::move(handler)));
    };
    add("grid-cut", EntryText("Cu&t", QKeySequence(QKeySequence::Cut)), onCells,
        [&commands] { commands.Cut(); });
    add("grid-copy", EntryText("&Copy", QKeySequence(QKeySequence::Copy)), onCells,
        [&commands] { commands.Copy(); });
    add("grid-paste", EntryText("&Paste", QKeySequence(QKeySequence::Paste)),
        onCells && GridEditCommands::CanPaste(), [&commands] { commands.Paste(); });
    add("grid-delete", EntryText("&Delete", QKeySequence(QKeySequence::Delete)), onCells,
        [&commands] { commands.Delete(); });
    menu->addSeparator();
    add("grid-undo", EntryText("&Undo", QKeySequence(QKeySequence::Undo)), commands.CanUndo(),
        [&commands] { commands.Undo(); });
    add("grid-redo", EntryText("&Redo", QKeySequence(QKeySequence::Redo)), commands.CanRedo(),
        [&commands] { commands.Redo(); });
    if (grid.OnAddRow || grid.OnDeleteCurrentRow) {
        menu->addSeparator();
    }
    if (grid.OnAddRow) {
        add("grid-add-row", EntryText("add row", std::nullopt), true, [&grid] { grid.OnAddRow(); });
    }
    if (grid.OnDeleteCurrentRow) {
        add("grid-delete-row", EntryText("delete current row", std::nullopt), onCells,
            [&grid] { grid.OnDeleteCurrentRow(); });
    }
    if (grid.OnYearView && cell && cell->Col >= rules::FirstConfigCol) {
        menu->addSeparator();
        const std::int32_t col = cell->Col;
        add("grid-year-view", EntryText("Year view…", std::nullopt), true,
            [&grid, col] { grid.OnYearView(col); });
    }
    menu->popup(grid.viewport()->mapToGlobal(pos));
}

} // namespace app
