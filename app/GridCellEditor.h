#pragma once

#include <QLineEdit>
#include <QString>
#include <functional>

// The in-place editor of the grid: a frameless one-line edit laid over the current cell.
//
// Every key press goes to OnKey first; when that returns true the grid has taken the key.
// Keys that neither the grid nor the edit uses stop here, so a key press never reaches the
// grid twice. Tab and Shift+Tab go to OnTab (true: forward) instead of moving the focus from
// the edit itself.
//
// The edit never holds U+0000 or U+0001: they are dropped from every change of the text,
// whatever made it (typing, pasting, dropping, setText), and the caret keeps its place in the
// remaining text.
class GridCellEditor : public QLineEdit {
    Q_OBJECT
public:
    explicit GridCellEditor(QWidget* parent = nullptr);

    std::function<bool(QKeyEvent* event)> OnKey;
    std::function<void(bool forward)> OnTab;

    // The text without the characters that no cell can hold.
    [[nodiscard]] static QString CellText(const QString& text);

signals:
    // The text changed, by the user or by setText, and holds no forbidden character.
    void CellTextChanged(const QString& text);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DropForbiddenCharacters(const QString& text);

    bool mCleaning = false;
};
