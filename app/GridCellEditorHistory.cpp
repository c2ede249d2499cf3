// The cell editor's history of whole-text changes (undo, redo) and the commands that act on
// the whole text while it is selected: copy, cut and the entries of the context menu.

#include "app/ErrorDisplay.h"
#include "app/GridCellEditor.h"
#include "app/ShownText.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QStyleHints>
#include <algorithm>

namespace app {

namespace {

// The bytes the undo history keeps at most; the oldest changes go first, the last one stays.
constexpr std::size_t MaxHistoryBytes = std::size_t{256} << 20;

// An entry's text as the line edit's own menu writes it: its translation, then its shortcut
// where the desktop shows shortcuts in menus.
[[nodiscard]] QString EntryText(const char* source, QKeySequence::StandardKey key) {
    QString text = QLineEdit::tr(source);
    if (QGuiApplication::styleHints()->showShortcutsInContextMenus()) {
        text += u'\t' + QKeySequence(key).toString(QKeySequence::NativeText);
    }
    return text;
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
    QGuiApplication::clipboard()->setText(FromUtf8(mWhole));
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
    RunGuarded(this, [&] {
        // The line edit's entries, in its order, with the names Qt gives them, bound to the
        // editor's history and whole text.
        auto* menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        const bool allSelected =
            mWholeSelected || (mWinBegin == 0 && mWinEnd == mWhole.size() &&
                               selectedText().size() == text().size() && hasSelectedText());
        const auto add = [this, menu](const char* name, QString text, bool enabled, auto handler) {
            QAction* action = menu->addAction(text);
            action->setObjectName(QString::fromLatin1(name));
            action->setEnabled(enabled);
            connect(action, &QAction::triggered, this, Guarded(this, handler));
        };
        const bool selected = hasSelectedText();
        add("edit-undo", EntryText("&Undo", QKeySequence::Undo), CanUndo(), [this] { Undo(); });
        add("edit-redo", EntryText("&Redo", QKeySequence::Redo), CanRedo(), [this] { Redo(); });
        menu->addSeparator();
        add("edit-cut", EntryText("Cu&t", QKeySequence::Cut), selected,
            [this] { CopyOrCut(true); });
        add("edit-copy", EntryText("&Copy", QKeySequence::Copy), selected,
            [this] { CopyOrCut(false); });
        add("edit-paste", EntryText("&Paste", QKeySequence::Paste),
            !QGuiApplication::clipboard()->text().isEmpty(), [this] { paste(); });
        // Delete removes the whole text while it is selected.
        add("edit-delete", QLineEdit::tr("Delete"), selected, [this] { del(); });
        menu->addSeparator();
        add("select-all", EntryText("Select All", QKeySequence::SelectAll),
            !mWhole.empty() && !allSelected, [this] { SelectWholeText(); });
        menu->popup(event->globalPos());
    });
}

} // namespace app
