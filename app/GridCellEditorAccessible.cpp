#include "app/GridCellEditorAccessible.h"

#include "app/GridCellEditor.h"
#include "app/HolidayGrid.h"
#include "app/HolidayGridAccessible.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>

namespace app {

// The open cell editor: an editable text, the child of the cell it edits. Its text is what the
// editor shows (the window of a huge text around the caret); changes made through it are the
// editor's own, as if typed.
class GridCellEditorAccessible : public QAccessibleWidget,
                                 public QAccessibleTextInterface,
                                 public QAccessibleEditableTextInterface {
public:
    explicit GridCellEditorAccessible(GridCellEditor* editor)
        : QAccessibleWidget(editor, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        if (type == QAccessible::EditableTextInterface) {
            return static_cast<QAccessibleEditableTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    [[nodiscard]] QAccessibleInterface* parent() const override {
        HolidayGrid* grid = Grid();
        auto* table =
            grid != nullptr
                ? dynamic_cast<HolidayGridAccessible*>(QAccessible::queryAccessibleInterface(grid))
                : nullptr;
        if (table == nullptr || !grid->IsEditorOpen()) {
            return QAccessibleWidget::parent();
        }
        return table->Cell(grid->Table().CurrentCell());
    }
    [[nodiscard]] QString text(QAccessible::Text t) const override {
        QString shown = t == QAccessible::Value ? Editor()->text() : QString();
        return shown.isEmpty() ? QAccessibleWidget::text(t) : shown;
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t != QAccessible::Value) {
            QAccessibleWidget::setText(t, text);
            return;
        }
        Editor()->ReplaceShownText(0, characterCount(), text);
    }
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.selectableText = true;
        return s;
    }

    // QAccessibleTextInterface
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    [[nodiscard]] QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }
    [[nodiscard]] int cursorPosition() const override { return Editor()->cursorPosition(); }
    [[nodiscard]] QRect characterRect(int offset) const override {
        // Measured from the caret, whose place the line edit knows.
        const QLineEdit* editor = Editor();
        const QString shown = editor->text();
        const QFontMetrics metrics(editor->font());
        const QRect caret = editor->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = caret.x() + metrics.horizontalAdvance(shown.left(offset)) -
                      metrics.horizontalAdvance(shown.left(editor->cursorPosition()));
        const QRect local(x, caret.y(), metrics.horizontalAdvance(shown.mid(offset, 1)),
                          caret.height());
        return {editor->mapToGlobal(local.topLeft()), local.size()};
    }
    [[nodiscard]] int selectionCount() const override {
        return Editor()->hasSelectedText() ? 1 : 0;
    }
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override {
        return Editor()->cursorPositionAt(Editor()->mapFromGlobal(point));
    }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && Editor()->hasSelectedText()) {
            *startOffset = Editor()->selectionStart();
            *endOffset = Editor()->selectionEnd();
        }
    }
    [[nodiscard]] QString text(int startOffset, int endOffset) const override {
        return Editor()->text().mid(startOffset, endOffset - startOffset);
    }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex == 0) {
            Editor()->deselect();
        }
    }
    void setCursorPosition(int position) override { Editor()->setCursorPosition(position); }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex == 0) {
            Editor()->setSelection(startOffset, endOffset - startOffset);
        }
    }
    [[nodiscard]] int characterCount() const override {
        return static_cast<int>(Editor()->text().size());
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        Editor()->setCursorPosition(endIndex);
        Editor()->setCursorPosition(startIndex);
    }

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override {
        Editor()->ReplaceShownText(startOffset, endOffset, {});
    }
    void insertText(int offset, const QString& text) override {
        Editor()->ReplaceShownText(offset, offset, text);
    }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        Editor()->ReplaceShownText(startOffset, endOffset, text);
    }

private:
    [[nodiscard]] GridCellEditor* Editor() const { return static_cast<GridCellEditor*>(widget()); }
    [[nodiscard]] HolidayGrid* Grid() const {
        for (QWidget* w = widget()->parentWidget(); w != nullptr; w = w->parentWidget()) {
            if (auto* grid = qobject_cast<HolidayGrid*>(w)) {
                return grid;
            }
        }
        return nullptr;
    }
};

QAccessibleInterface* MakeGridCellEditorAccessible(GridCellEditor* editor) {
    return new GridCellEditorAccessible(editor);
}

} // namespace app
