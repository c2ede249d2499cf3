// The cell editor's history of whole-text changes (undo, redo) and the commands that act on
// the whole text while it is selected: copy, cut and the entries of the context menu.

#include "app/GridCellEditor.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>

namespace app {

namespace {

// The bytes the undo history keeps at most; the oldest changes go first, the last one stays.
constexpr std::size_t MaxHistoryBytes = std::size_t{256} << 20;

// The entries of the line edit's own context menu, known by their texts.
enum class MenuEntry { Undo, Redo, Cut, Copy, Delete, SelectAll, Other };

[[nodiscard]] MenuEntry MenuEntryOf(const QAction* action) {
    const QString text = action->text().section(u'\t', 0, 0);
    const std::pair<const char*, MenuEntry> entries[] = {
        {"&Undo", MenuEntry::Undo},    {"&Redo", MenuEntry::Redo},
        {"Cu&t", MenuEntry::Cut},      {"&Copy", MenuEntry::Copy},
        {"Delete", MenuEntry::Delete}, {"Select All", MenuEntry::SelectAll},
    };
    for (const auto& [source, entry] : entries) {
        if (text == QLineEdit::tr(source)) {
            return entry;
        }
    }
    return MenuEntry::Other;
}

} // namespace

void GridCellEditor::Undo() {
    if (!CanUndo()) {
        return;
    }
    const Change& change = mHistory[--mDone];
    mWhole.replace(change.Offset, change.Inserted.size(), change.Removed);
    RestoreSelection(change.Before);
    emit CellTextChanged();
}

void GridCellEditor::Redo() {
    if (!CanRedo()) {
        return;
    }
    const Change& change = mHistory[mDone++];
    mWhole.replace(change.Offset, change.Removed.size(), change.Inserted);
    const std::size_t caret = change.Offset + change.Inserted.size();
    RestoreSelection({caret, caret, false});
    emit CellTextChanged();
}

void GridCellEditor::RestoreSelection(const Selection& selection) {
    if (selection.Whole) {
        SelectWholeText();
        return;
    }
    mMergeOpen = false;
    mWholeSelected = false;
    ShowWindow(selection.Caret, selection.Anchor);
}

void GridCellEditor::ClearHistory() {
    mHistory.clear();
    mDone = 0;
    mHistoryBytes = 0;
    mMergeOpen = false;
}

void GridCellEditor::Record(Change change) {
    const auto bytes = [](const Change& c) { return c.Removed.size() + c.Inserted.size(); };
    for (std::size_t i = mDone; i < mHistory.size(); ++i) {
        mHistoryBytes -= bytes(mHistory[i]);
    }
    mHistory.erase(mHistory.begin() + static_cast<std::ptrdiff_t>(mDone), mHistory.end());
    const bool mergeOpen = mMergeOpen && !mHistory.empty() && mHistory.back().Kind == change.Kind;
    mMergeOpen = change.Kind != EditKind::Other;
    mChanged = true;
    mHistoryBytes += bytes(change);
    if (mergeOpen) {
        Change& last = mHistory.back();
        const bool removesOnly = change.Inserted.empty() && last.Inserted.empty();
        if (change.Kind == EditKind::Typing && change.Removed.empty() &&
            change.Offset == last.Offset + last.Inserted.size()) {
            last.Inserted += change.Inserted;
            return;
        }
        if (change.Kind == EditKind::Backspace && removesOnly &&
            change.Offset + change.Removed.size() == last.Offset) {
            last.Removed.insert(0, change.Removed);
            last.Offset = change.Offset;
            return;
        }
        if (change.Kind == EditKind::Delete && removesOnly && change.Offset == last.Offset) {
            last.Removed += change.Removed;
            return;
        }
    }
    mHistory.push_back(std::move(change));
    while (mHistoryBytes > MaxHistoryBytes && mHistory.size() > 1) {
        mHistoryBytes -= bytes(mHistory.front());
        mHistory.erase(mHistory.begin());
    }
    mDone = mHistory.size();
}

void GridCellEditor::NoteSelection() {
    mNotedCaret = cursorPosition();
    if (!hasSelectedText()) {
        mNotedAnchor = mNotedCaret;
    } else {
        mNotedAnchor = mNotedCaret == selectionStart() ? selectionEnd() : selectionStart();
    }
}

GridCellEditor::Selection GridCellEditor::SelectionBeforeChange() const {
    return {OffsetOf(mNotedCaret), OffsetOf(mNotedAnchor), mWholeSelected};
}

void GridCellEditor::CopyOrCut(bool cut) {
    if (!mWholeSelected) {
        if (cut) {
            QLineEdit::cut();
        } else {
            copy();
        }
        return;
    }
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(mWhole.data(), static_cast<qsizetype>(mWhole.size())));
    if (cut) {
        del(); // replaces the whole selected text with nothing
    }
}

GridCellEditor::EditKind GridCellEditor::KindOf(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (event->key() == Qt::Key_Backspace && mods == Qt::NoModifier) {
        return EditKind::Backspace;
    }
    if (event->matches(QKeySequence::Delete)) {
        return EditKind::Delete;
    }
    // Ctrl or Alt alone make commands; both together are AltGr on many layouts and type.
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const QString text = event->text();
    if (ctrl == alt && !text.isEmpty() && text.at(0).isPrint()) {
        return EditKind::Typing;
    }
    return EditKind::Other;
}

void GridCellEditor::contextMenuEvent(QContextMenuEvent* event) {
    // The line edit's own menu, its entries bound to the editor's history and whole text.
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool allSelected =
        mWholeSelected || (mWinBegin == 0 && mWinEnd == mWhole.size() &&
                           selectedText().size() == text().size() && hasSelectedText());
    for (QAction* action : menu->actions()) {
        const auto bind = [this, action](bool enabled, auto handler) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            action->setEnabled(enabled);
            connect(action, &QAction::triggered, this, handler);
        };
        switch (MenuEntryOf(action)) {
        case MenuEntry::Undo:
            bind(CanUndo(), [this] { Undo(); });
            break;
        case MenuEntry::Redo:
            bind(CanRedo(), [this] { Redo(); });
            break;
        case MenuEntry::Cut:
            bind(hasSelectedText(), [this] { CopyOrCut(true); });
            break;
        case MenuEntry::Copy:
            bind(hasSelectedText(), [this] { CopyOrCut(false); });
            break;
        case MenuEntry::Delete:
            bind(hasSelectedText(), [this] { del(); }); // the whole text while it is selected
            break;
        case MenuEntry::SelectAll:
            bind(!mWhole.empty() && !allSelected, [this] { SelectWholeText(); });
            break;
        case MenuEntry::Other:
            break;
        }
    }
    menu->popup(event->globalPos());
}

} // namespace app
