#pragma once

#include "app/CellTextModel.h"

#include <QClipboard>
#include <QLineEdit>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace app {

// The in-place editor of the grid: a frameless one-line edit laid over the current cell.
//
// Every key press goes to OnKey first; when that returns true the grid has taken the key.
// Keys that neither the grid nor the edit uses stop here, so a key press never reaches the
// grid twice. Tab and Shift+Tab go to OnTab (true: forward) instead of moving the focus from
// the edit itself.
//
// A cell may hold a text of any length: the editor's CellTextModel keeps the whole text and the
// history, and the line edit shows and edits only the model's window of it around the caret.
// Every change of the line edit's text goes into the model at once. When the caret comes near
// an end of the window and the text goes on beyond it, or the window has grown large, the
// window moves to centre on the caret; Home and End move it to the text's start and end. A
// selection reaches at most to the window's ends, except SelectWholeText (Ctrl+A; Enter or
// typing on a closed cell): then a keystroke, a paste or a cut replaces the whole text, and a
// copy copies it. A text that fits into the window is edited whole, like an ordinary line edit.
//
// Undo and redo work on the whole text through the model's history; the line edit's own
// history (of window texts) is never used. An undo brings back the caret and the selection from
// before the change. The keys (QKeySequence::Undo, QKeySequence::Redo) and the context menu use
// it; the menu's Select All, Cut, Copy and Delete act on the whole text as the keys do. The
// menu's entries carry the names Qt gives those of its line edit ("edit-undo", "edit-redo",
// "edit-cut", "edit-copy", "edit-paste", "edit-delete", "select-all").
//
// U+0000 and U+0001 are dropped from every change of the text, whatever made it (typing,
// pasting, dropping, setText), and the caret keeps its place in the remaining text. A paste
// while the clipboard holds no text does nothing.
class GridCellEditor : public QLineEdit {
    Q_OBJECT
public:
    static constexpr std::size_t WindowBytes = CellTextModel::WindowBytes;

    explicit GridCellEditor(QWidget* parent = nullptr);

    std::function<bool(QKeyEvent* event)> OnKey;
    std::function<void(bool forward)> OnTab;

    // The whole text being edited.
    [[nodiscard]] std::string_view WholeText() const noexcept { return mModel.WholeText(); }
    // Replaces the whole text with text without the bytes 0x00 and 0x01 (U+0000 and U+0001),
    // caret at its end; CellTextChanged is not emitted.
    void SetWholeText(std::string_view text);
    // Selects the whole text (the window shows its start).
    void SelectWholeText();
    // Caret after the whole text, nothing selected.
    void MoveCaretToEnd();
    // Replaces the characters start..end - 1 of the text shown (the window) with text, as an
    // edit of the user's would, and leaves the caret after it; also while the whole text is
    // selected, which it no longer is then.
    void ReplaceShownText(qsizetype start, qsizetype end, const QString& text);

    // The editor's history; Undo and Redo emit CellTextChanged and do nothing when there is
    // nothing to undo or redo. SetWholeText empties the history.
    [[nodiscard]] bool CanUndo() const noexcept { return mModel.CanUndo(); }
    [[nodiscard]] bool CanRedo() const noexcept { return mModel.CanRedo(); }
    void Undo();
    void Redo();

    // Whether the key press types a printable character.
    [[nodiscard]] static bool TypesCharacter(const QKeyEvent& event);

signals:
    // The whole text changed by an edit (not by SetWholeText) and holds no forbidden character.
    void CellTextChanged();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    using EditKind = CellTextModel::EditKind;
    using Selection = CellTextModel::Selection;

    void OnWindowTextChanged(const QString& text);
    // Shows the model's window around the caret (a byte offset of the whole text), with the
    // selection from anchor (clamped into the window) to the caret.
    void ShowWindow(std::size_t caret, std::size_t anchor);
    // Moves the window when the caret came near one of its ends or the window grew large.
    void FollowCaret();
    [[nodiscard]] std::size_t AnchorOffset() const;
    // The caret and the selection before the change that is being written into the whole text.
    [[nodiscard]] Selection SelectionBeforeChange() const;
    void NoteSelection();
    // Copy or cut, of the whole text while it is selected.
    void CopyOrCut(bool cut);
    // Pastes the text of the clipboard (or of the screen's selection) in place of the
    // selection, through the whole text; nothing when it holds no text.
    void PasteFrom(QClipboard::Mode mode);
    void InsertText(const QString& text);
    void RestoreSelection(const Selection& selection);
    [[nodiscard]] static EditKind KindOf(const QKeyEvent* event);

    CellTextModel mModel;
    bool mSettingWindow = false;         // the editor itself sets the line edit's text
    EditKind mKeyKind = EditKind::Other; // of the key press being handled
    bool mChanged = false;               // a change was recorded since the key press began
    qsizetype mNotedCaret = 0;           // the line edit's caret and anchor, as last signalled
    qsizetype mNotedAnchor = 0;
};

} // namespace app
