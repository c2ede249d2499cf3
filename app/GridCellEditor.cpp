#include "app/GridCellEditor.h"

#include <QKeyEvent>
#include <algorithm>
#include <limits>

namespace {

[[nodiscard]] bool IsForbidden(QChar c) noexcept {
    return c.unicode() == 0x0000 || c.unicode() == 0x0001;
}

} // namespace

GridCellEditor::GridCellEditor(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A cell may hold a text of any length; the edit must not cut it.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &GridCellEditor::DropForbiddenCharacters);
}

QString GridCellEditor::CellText(const QString& text) {
    QString clean = text;
    clean.removeIf(IsForbidden);
    return clean;
}

void GridCellEditor::DropForbiddenCharacters(const QString& text) {
    if (mCleaning) {
        return;
    }
    if (std::none_of(text.begin(), text.end(), IsForbidden)) {
        emit CellTextChanged(text);
        return;
    }
    const int caret = cursorPosition();
    const auto droppedBeforeCaret = std::count_if(
        text.begin(), text.begin() + std::min(caret, static_cast<int>(text.size())), IsForbidden);
    const QString clean = CellText(text);
    mCleaning = true;
    setText(clean);
    mCleaning = false;
    setCursorPosition(caret - static_cast<int>(droppedBeforeCaret));
    emit CellTextChanged(clean);
}

bool GridCellEditor::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plainTab = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
                              !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plainTab && OnTab) {
            OnTab(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QLineEdit::event(event);
}

void GridCellEditor::keyPressEvent(QKeyEvent* event) {
    if (OnKey && OnKey(event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
    event->accept();
}
