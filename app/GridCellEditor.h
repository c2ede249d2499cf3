#pragma once

#include "holiday/LargeMemory.h"

#include <QLineEdit>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The in-place editor of the grid: a frameless one-line edit laid over the current cell.
//
// Every key press goes to OnKey first; when that returns true the grid has taken the key.
// Keys that neither the grid nor the edit uses stop here, so a key press never reaches the
// grid twice. Tab and Shift+Tab go to OnTab (true: forward) instead of moving the focus from
// the edit itself.
//
// A cell may hold a text of any length, so the editor keeps the whole text (UTF-8) itself and
// lets the line edit show and edit only a window of it around the caret: at most WindowBytes
// of the text, cut only between characters. Every change of the line edit's text goes into the
// whole text at once, replacing just the characters that changed, so the bytes outside a change
// stay as they were (also bytes that are no well-formed UTF-8). When the caret comes near an
// end of the window and the text goes on beyond it, or the window has grown large, the window
// moves to centre on the caret; Home and End move it to the text's start and end. A selection
// reaches at most to the window's ends, except SelectWholeText (Ctrl+A; Enter or typing on a
// closed cell): then a keystroke, a paste or a cut replaces the whole text, and a copy copies
// it. A text that fits into the window is edited whole, like an ordinary line edit.
//
// Undo and redo work on the whole text: the editor keeps its own history of changes of the whole
// text, and the line edit's own history (of window texts) is never used. Like an ordinary line
// edit, it takes a run of typed characters, a run of Backspace or a run of Delete as one change,
// and an undo brings back the caret and the selection from before the change. The keys
// (QKeySequence::Undo, QKeySequence::Redo) and the context menu use it; the menu's Select All,
// Cut, Copy and Delete act on the whole text as the keys do.
//
// The text never holds U+0000 or U+0001: they are dropped from every change of the text,
// whatever made it (typing, pasting, dropping, setText), and the caret keeps its place in the
// remaining text. A paste while the clipboard holds no text does nothing.
class GridCellEditor : public QLineEdit {
    Q_OBJECT
public:
    static constexpr std::size_t WindowBytes = 8192;

    explicit GridCellEditor(QWidget* parent = nullptr);

    std::function<bool(QKeyEvent* event)> OnKey;
    std::function<void(bool forward)> OnTab;

    // The whole text being edited.
    [[nodiscard]] std::string_view WholeText() const noexcept { return mWhole; }
    // Replaces the whole text with text without the bytes 0x00 and 0x01 (U+0000 and U+0001),
    // caret at its end; CellTextChanged is not emitted. The room of a huge text is kept for the
    // next text of about its size (the empty text, on closing, keeps it too).
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
    [[nodiscard]] bool CanUndo() const noexcept { return mDone > 0; }
    [[nodiscard]] bool CanRedo() const noexcept { return mDone < mHistory.size(); }
    void Undo();
    void Redo();

signals:
    // The whole text changed by an edit (not by SetWholeText) and holds no forbidden character.
    void CellTextChanged();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Texts of a cell's length: a huge one in huge pages.
    using Text =
        std::basic_string<char, std::char_traits<char>, holiday::detail::LargeAllocator<char>>;

    // What made a change: runs of typed characters, of Backspace and of Delete are merged.
    enum class EditKind { Typing, Backspace, Delete, Other };
    // Caret and anchor as byte offsets of the whole text; Whole: the whole text selected.
    struct Selection {
        std::size_t Caret = 0;
        std::size_t Anchor = 0;
        bool Whole = false;
    };
    // One change of the whole text: at Offset, Removed became Inserted.
    struct Change {
        std::size_t Offset;
        Text Removed;
        Text Inserted;
        EditKind Kind;
        Selection Before;
    };

    void OnWindowTextChanged(const QString& text);
    // Shows the window around the caret (a byte offset of the whole text), with the selection
    // from anchor (clamped into the window) to the caret.
    void ShowWindow(std::size_t caret, std::size_t anchor);
    // Moves the window when the caret came near one of its ends or the window grew large.
    void FollowCaret();
    // The byte offset in the whole text of a position in the line edit's text, and back.
    [[nodiscard]] std::size_t OffsetOf(qsizetype position) const;
    [[nodiscard]] qsizetype PositionOf(std::size_t offset) const;
    [[nodiscard]] std::size_t AnchorOffset() const;
    // The caret and the selection before the change that is being written into the whole text.
    [[nodiscard]] Selection SelectionBeforeChange() const;
    void NoteSelection();
    // Adds change to the history, merged into the last one when it goes on with its run.
    void Record(Change change);
    void ClearHistory();
    // Copy or cut, of the whole text while it is selected.
    void CopyOrCut(bool cut);
    void RestoreSelection(const Selection& selection);
    [[nodiscard]] static EditKind KindOf(const QKeyEvent* event);

    Text mWhole;
    std::size_t mWinBegin = 0; // the window: bytes mWinBegin .. mWinEnd - 1 of mWhole
    std::size_t mWinEnd = 0;
    QString mShown; // the window's text as the line edit last had it
    bool mWholeSelected = false;
    bool mSettingWindow = false;
    bool mCleaning = false;

    std::vector<Change> mHistory;
    std::size_t mDone = 0; // the changes of mHistory that are applied; the rest can be redone
    std::size_t mHistoryBytes = 0;
    bool mMergeOpen = false;             // the next change of the same kind may join the last
    EditKind mKeyKind = EditKind::Other; // of the key press being handled
    bool mChanged = false;               // a change was recorded since the key press began
    qsizetype mNotedCaret = 0;           // the line edit's caret and anchor, as last signalled
    qsizetype mNotedAnchor = 0;
};

} // namespace app
