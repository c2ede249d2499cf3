#include "app/GridCellEditor.h"

#include "app/ErrorDisplay.h"
#include "app/ShownText.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyleHints>
#include <algorithm>
#include <limits>

namespace app {

namespace {

[[nodiscard]] bool MatchesAny(const QKeyEvent* event,
                              std::initializer_list<QKeySequence::StandardKey> keys) {
    return std::any_of(keys.begin(), keys.end(),
                       [event](QKeySequence::StandardKey key) { return event->matches(key); });
}

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

GridCellEditor::GridCellEditor(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The window may grow past WindowBytes while the user types; it is never cut.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &GridCellEditor::OnWindowTextChanged);
    // The line edit signals its caret and selection after its text has changed, so the last
    // ones noted are those from before a change.
    connect(this, &QLineEdit::cursorPositionChanged, this, &GridCellEditor::NoteSelection);
    connect(this, &QLineEdit::selectionChanged, this, &GridCellEditor::NoteSelection);
}

void GridCellEditor::SetWholeText(std::string_view text) {
    mModel.SetWholeText(text);
    const std::size_t end = mModel.WholeText().size();
    ShowWindow(end, end);
}

void GridCellEditor::SelectWholeText() {
    mModel.EndRun();
    ShowWindow(0, 0);
    selectAll();
    mModel.SetWholeSelected(!mModel.ShowsStart() || !mModel.ShowsEnd());
}

void GridCellEditor::MoveCaretToEnd() {
    mModel.EndRun();
    mModel.SetWholeSelected(false);
    const std::size_t end = mModel.WholeText().size();
    ShowWindow(end, end);
}

void GridCellEditor::ReplaceShownText(qsizetype start, qsizetype end, const QString& text) {
    mModel.EndRun();
    mModel.SetWholeSelected(false);
    const auto size = static_cast<int>(this->text().size());
    const int from = std::clamp(static_cast<int>(start), 0, size);
    const int to = std::clamp(static_cast<int>(end), from, size);
    if (to > from) {
        setSelection(from, to - from);
    } else {
        setCursorPosition(from);
    }
    insert(text);
}

std::size_t GridCellEditor::AnchorOffset() const {
    const qsizetype caret = cursorPosition();
    if (!hasSelectedText()) {
        return mModel.OffsetOf(caret);
    }
    return mModel.OffsetOf(caret == selectionStart() ? selectionEnd() : selectionStart());
}

void GridCellEditor::ShowWindow(std::size_t caret, std::size_t anchor) {
    mModel.PlaceWindow(caret);
    {
        const QScopedValueRollback setting(mSettingWindow, true);
        setText(mModel.Window());
    }
    const auto caretPos = static_cast<int>(mModel.PositionOf(caret));
    const auto anchorPos = static_cast<int>(mModel.PositionOf(anchor));
    if (anchorPos == caretPos) {
        setCursorPosition(caretPos);
    } else {
        setSelection(anchorPos, caretPos - anchorPos);
    }
}

void GridCellEditor::FollowCaret() {
    const qsizetype caret = cursorPosition();
    if (mModel.WindowShouldFollow(caret, text().size())) {
        ShowWindow(mModel.OffsetOf(caret), AnchorOffset());
    }
}

void GridCellEditor::OnWindowTextChanged(const QString& text) {
    RunGuarded(this, [&] {
        if (mSettingWindow) {
            return;
        }
        const Selection before = SelectionBeforeChange();
        QString clean = text;
        if (CellTextModel::HasForbidden(text)) {
            qsizetype caret = cursorPosition();
            clean = CellTextModel::WithoutForbidden(text, caret);
            {
                const QScopedValueRollback setting(mSettingWindow, true);
                setText(clean);
            }
            setCursorPosition(static_cast<int>(caret));
        }
        if (mModel.ApplyWindowEdit(clean, before, mKeyKind)) {
            const int caret = cursorPosition();
            {
                const QScopedValueRollback setting(mSettingWindow, true);
                setText(mModel.Window());
            }
            setCursorPosition(std::min(caret, static_cast<int>(mModel.Window().size())));
        }
        mChanged = true;
        emit CellTextChanged();
        if (mModel.WindowTooLarge()) {
            // A change made from code (insert, paste); key presses move the window at once.
            QMetaObject::invokeMethod(this, Guarded(this, [this] { FollowCaret(); }),
                                      Qt::QueuedConnection);
        }
    });
}

void GridCellEditor::Undo() {
    if (const std::optional<Selection> after = mModel.Undo()) {
        RestoreSelection(*after);
        emit CellTextChanged();
    }
}

void GridCellEditor::Redo() {
    if (const std::optional<Selection> after = mModel.Redo()) {
        RestoreSelection(*after);
        emit CellTextChanged();
    }
}

void GridCellEditor::RestoreSelection(const Selection& selection) {
    if (selection.Whole) {
        SelectWholeText();
        return;
    }
    mModel.EndRun();
    mModel.SetWholeSelected(false);
    ShowWindow(selection.Caret, selection.Anchor);
}

void GridCellEditor::NoteSelection() {
    mNotedCaret = cursorPosition();
    if (!hasSelectedText()) {
        mNotedAnchor = mNotedCaret;
    } else {
        mNotedAnchor = mNotedCaret == selectionStart() ? selectionEnd() : selectionStart();
    }
}

void GridCellEditor::PasteFrom(QClipboard::Mode mode) {
    // Qt's text widgets are not safe with a clipboard that holds nothing: a paste of nothing
    // does nothing.
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData(mode);
    if (mime == nullptr || !mime->hasText()) {
        return;
    }
    InsertText(mime->text());
}

void GridCellEditor::InsertText(const QString& text) {
    // The text goes into the whole text and the window is placed after it, so the line edit
    // lays out no more than a window, however long or costly the pasted text.
    const Selection before{mModel.OffsetOf(cursorPosition()), AnchorOffset(),
                           mModel.WholeSelected()};
    const QByteArray bytes = text.toUtf8();
    const std::size_t caret = mModel.ReplaceSelection(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), before);
    mModel.EndRun();
    ShowWindow(caret, caret);
    mChanged = true;
    emit CellTextChanged();
}

void GridCellEditor::mouseReleaseEvent(QMouseEvent* event) {
    RunGuarded(this, [&] {
        // The middle button pastes the selection of the screen, as every X program does.
        if (event->button() == Qt::MiddleButton &&
            QGuiApplication::clipboard()->supportsSelection() && !isReadOnly()) {
            setCursorPosition(cursorPositionAt(event->position().toPoint()));
            mModel.SetWholeSelected(false);
            PasteFrom(QClipboard::Selection);
            event->accept();
            return;
        }
        QLineEdit::mouseReleaseEvent(event);
    });
}

void GridCellEditor::dropEvent(QDropEvent* event) {
    RunGuarded(this, [&] {
        const QMimeData* mime = event->mimeData();
        if (mime == nullptr || !mime->hasText() || event->source() == this) {
            QLineEdit::dropEvent(event); // a move within the editor stays the line edit's
            return;
        }
        setCursorPosition(cursorPositionAt(event->position().toPoint()));
        mModel.SetWholeSelected(false);
        InsertText(mime->text());
        event->acceptProposedAction();
    });
}

GridCellEditor::Selection GridCellEditor::SelectionBeforeChange() const {
    return {mModel.OffsetOf(mNotedCaret), mModel.OffsetOf(mNotedAnchor), mModel.WholeSelected()};
}

void GridCellEditor::CopyOrCut(bool cut) {
    if (!mModel.WholeSelected()) {
        if (cut) {
            QLineEdit::cut();
        } else {
            copy();
        }
        return;
    }
    QGuiApplication::clipboard()->setText(FromUtf8(mModel.WholeText()));
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
    return TypesCharacter(*event) ? EditKind::Typing : EditKind::Other;
}

bool GridCellEditor::TypesCharacter(const QKeyEvent& event) {
    // Ctrl or Alt alone make commands; both together are AltGr on many layouts and type.
    const bool ctrl = event.modifiers() & Qt::ControlModifier;
    const bool alt = event.modifiers() & Qt::AltModifier;
    const QString text = event.text();
    return ctrl == alt && !text.isEmpty() && text.at(0).isPrint();
}

bool GridCellEditor::event(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plainTab = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
                              !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plainTab && OnTab) {
            const bool forward =
                key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
            RunGuarded(this, [&] { OnTab(forward); });
            return true;
        }
    }
    const bool handled = QLineEdit::event(event);
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        mModel.EndRun(); // the caret moves; a run of typing ends
        [[fallthrough]];
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Drop:
        RunGuarded(this, [this] {
            if (mModel.WholeSelected() && selectedText().size() != text().size()) {
                mModel.SetWholeSelected(false);
            }
            FollowCaret();
        });
        break;
    default:
        break;
    }
    return handled;
}

void GridCellEditor::keyPressEvent(QKeyEvent* event) {
    RunGuarded(this, [&] {
        if (OnKey && OnKey(event)) {
            event->accept();
            return;
        }
        event->accept();
        if (event->matches(QKeySequence::Undo)) {
            Undo();
            return;
        }
        if (event->matches(QKeySequence::Redo)) {
            Redo();
            return;
        }
        if (event->matches(QKeySequence::Paste)) {
            PasteFrom(QClipboard::Clipboard);
            return;
        }
        if (event->matches(QKeySequence::SelectAll)) {
            SelectWholeText();
            return;
        }
        if (mModel.WholeSelected() && MatchesAny(event, {QKeySequence::Copy, QKeySequence::Cut})) {
            CopyOrCut(event->matches(QKeySequence::Cut));
            return;
        }
        const bool toStart = MatchesAny(
            event, {QKeySequence::MoveToStartOfLine, QKeySequence::MoveToStartOfDocument,
                    QKeySequence::SelectStartOfLine, QKeySequence::SelectStartOfDocument});
        const bool toEnd =
            MatchesAny(event, {QKeySequence::MoveToEndOfLine, QKeySequence::MoveToEndOfDocument,
                               QKeySequence::SelectEndOfLine, QKeySequence::SelectEndOfDocument});
        if ((toStart && !mModel.ShowsStart()) || (toEnd && !mModel.ShowsEnd())) {
            const bool selecting = event->modifiers() & Qt::ShiftModifier;
            const std::size_t target = toStart ? 0 : mModel.WholeText().size();
            const std::size_t anchor = selecting ? AnchorOffset() : target;
            mModel.SetWholeSelected(false);
            mModel.EndRun();
            ShowWindow(target, anchor);
        }
        // A key that moves the caret or the selection without a change ends a run of typing, as
        // in an ordinary line edit.
        const qsizetype caret = cursorPosition();
        const qsizetype selection = selectionStart();
        mChanged = false;
        {
            const QScopedValueRollback kind(mKeyKind, KindOf(event));
            QLineEdit::keyPressEvent(event);
        }
        if (!mChanged && (cursorPosition() != caret || selectionStart() != selection)) {
            mModel.EndRun();
        }
        event->accept();
    });
}

void GridCellEditor::contextMenuEvent(QContextMenuEvent* event) {
    RunGuarded(this, [&] {
        // The line edit's entries, in its order, with the names Qt gives them, bound to the
        // editor's history and whole text.
        auto* menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        const bool allSelected =
            mModel.WholeSelected() || (mModel.ShowsStart() && mModel.ShowsEnd() &&
                                       selectedText().size() == text().size() && hasSelectedText());
        const auto add = [this, menu](const char* name, const QString& text, bool enabled,
                                      auto handler) {
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
            !QGuiApplication::clipboard()->text().isEmpty(),
            [this] { PasteFrom(QClipboard::Clipboard); });
        // Delete removes the whole text while it is selected.
        add("edit-delete", QLineEdit::tr("Delete"), selected, [this] { del(); });
        menu->addSeparator();
        add("select-all", EntryText("Select All", QKeySequence::SelectAll),
            !mModel.WholeText().empty() && !allSelected, [this] { SelectWholeText(); });
        menu->popup(event->globalPos());
    });
}

} // namespace app
