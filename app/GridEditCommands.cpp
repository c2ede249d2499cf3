#include "app/GridEditCommands.h"

#include "app/GridEditorPlacement.h"
#include "app/HolidayGrid.h"
#include "app/ShownText.h"
#include "holiday/CellBlockEdit.h"
#include "holiday/TabSeparatedText.h"
#include "holiday/TableHistory.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <memory>
#include <optional>

namespace app {

namespace {

// A step of the history, or nothing without one.
class OptionalStep {
public:
    explicit OptionalStep(holiday::TableHistory* history) {
        if (history != nullptr) {
            mStep.emplace(*history);
        }
    }

private:
    std::optional<holiday::TableHistory::Step> mStep;
};

} // namespace

holiday::TableHistory* GridEditCommands::History() const noexcept {
    return mGrid.History();
}

void GridEditCommands::Copy() {
    mEditor.Close();
    const holiday::HolidayTable& table = mGrid.Table();
    const holiday::CellRange block = table.Selection().Block;
    auto mime = std::make_unique<QMimeData>();
    mime->setText(FromUtf8(holiday::FormatTabSeparated(table, block)));
    mime->setHtml(FromUtf8(holiday::FormatHtmlTable(table, block)));
    QGuiApplication::clipboard()->setMimeData(mime.release(), QClipboard::Clipboard);
}

void GridEditCommands::Cut() {
    Copy();
    Delete();
}

void GridEditCommands::Delete() {
    mEditor.Close();
    holiday::HolidayTable& table = mGrid.Table();
    const OptionalStep step(History());
    holiday::EmptyBlock(table, table.Selection().Block);
}

bool GridEditCommands::CanPaste() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return mime != nullptr && mime->hasText();
}

void GridEditCommands::Paste() {
    if (!CanPaste()) {
        return;
    }
    mEditor.Close();
    const QByteArray bytes = QGuiApplication::clipboard()->text(QClipboard::Clipboard).toUtf8();
    const holiday::TabSeparatedText text(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (text.RowCount() == 0) {
        return;
    }
    holiday::HolidayTable& table = mGrid.Table();
    const holiday::CellSelection selection = table.Selection();
    const OptionalStep step(History());
    if (text.IsSingleCell() && selection.Block.CellCount() > 1) {
        holiday::FillBlock(table, selection.Block, text.Cell(0, 0));
        return;
    }
    const holiday::CellRange pasted = holiday::PasteBlock(table, selection.Block.TopLeft, text);
    table.SetCurrentCell(pasted.TopLeft);
    table.SetAnchor(pasted.BottomRight);
    mGrid.ScrollToCurrentCell();
}

void GridEditCommands::SelectAll() {
    mEditor.Close();
    holiday::HolidayTable& table = mGrid.Table();
    const holiday::CellRange all = table.ScrollingCells();
    table.SetCurrentCell(all.TopLeft);
    table.SetAnchor(all.BottomRight);
    mGrid.ScrollToCurrentCell();
}

bool GridEditCommands::CanUndo() const noexcept {
    return History() != nullptr && History()->CanUndo();
}

bool GridEditCommands::CanRedo() const noexcept {
    return History() != nullptr && History()->CanRedo();
}

void GridEditCommands::Undo() {
    ShowPlaceAfterUndo(true);
}

void GridEditCommands::Redo() {
    ShowPlaceAfterUndo(false);
}

void GridEditCommands::ShowPlaceAfterUndo(bool undo) {
    mEditor.Close();
    holiday::TableHistory* history = History();
    if (history == nullptr) {
        return;
    }
    // The view returns to where the change was.
    if (const auto place = undo ? history->Undo() : history->Redo()) {
        mGrid.ScrollTo(place->TopLeft.Col, place->TopLeft.Row);
        mGrid.ScrollToCurrentCell();
    }
}

} // namespace app
