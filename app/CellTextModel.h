#pragma once

#include "holiday/LargeMemory.h"

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The text of the cell editor, without a widget: the whole text of the cell (UTF-8, any length),
// the window of it that the line edit shows and edits, the writing of each edit of the window
// into the whole text, and the history of changes of the whole text.
//
// The window holds the text around the caret up to a shaping cost of WindowBytes, cut only
// between characters; a text that fits is shown whole. A character before U+0300 costs its
// bytes; any other (combining marks, other scripts, symbols) costs ExoticCost: laying out a run
// of combining marks grows with the square of its length, and characters of many scripts make
// the text widget look for fonts of each, so a window of such text is kept short. An edit of the
// window replaces just the characters that changed, so the bytes outside a change stay as they were
// (also bytes that are no well-formed UTF-8). While the whole text is selected an edit replaces all
// of it.
//
// The text never holds U+0000 or U+0001 (the file's separators): SetWholeText drops them, and
// WithoutForbidden takes them out of an edited window before it is applied.
//
// The history: runs of typed characters, of Backspace and of Delete are one change each, as in
// an ordinary line edit, and each change remembers the caret and selection from before it.
// It keeps at most 256 MiB of changed text, dropping the oldest changes first.
class CellTextModel {
public:
    static constexpr std::size_t WindowBytes = 8192;
    static constexpr std::size_t ExoticCost = 16;

    // What made a change: runs of typed characters, of Backspace and of Delete are merged.
    enum class EditKind { Typing, Backspace, Delete, Other };
    // Caret and anchor as byte offsets of the whole text; Whole: the whole text selected.
    struct Selection {
        std::size_t Caret = 0;
        std::size_t Anchor = 0;
        bool Whole = false;
    };

    [[nodiscard]] std::string_view WholeText() const noexcept { return mWhole; }
    // Replaces the whole text with text without the bytes 0x00 and 0x01, empties the history and
    // puts the window at the end. The room of a huge text is kept for the next text of about its
    // size (the empty text, on closing, keeps it too).
    void SetWholeText(std::string_view text);

    // --- The window ---
    // Its text as the line edit shows it.
    [[nodiscard]] const QString& Window() const noexcept { return mShown; }
    [[nodiscard]] bool ShowsStart() const noexcept { return mWinBegin == 0; }
    [[nodiscard]] bool ShowsEnd() const noexcept { return mWinEnd == mWhole.size(); }
    // Puts the window around caret (a byte offset of the whole text).
    void PlaceWindow(std::size_t caret);
    // Whether the window should move to centre on the caret at position (of a window of
    // shownUnits code units): the caret came near an end of the window that the text goes on
    // beyond, or the window grew large, or a window that no longer needs to be one.
    [[nodiscard]] bool WindowShouldFollow(qsizetype position, qsizetype shownUnits) const noexcept;
    // Grown to more than twice WindowBytes, by an edit.
    [[nodiscard]] bool WindowTooLarge() const noexcept;
    // The byte offset in the whole text of a position (UTF-16 code units) in the window, and
    // back (offsets outside the window count as its ends).
    [[nodiscard]] std::size_t OffsetOf(qsizetype position) const noexcept;
    [[nodiscard]] qsizetype PositionOf(std::size_t offset) const noexcept;

    // --- Edits ---
    // The whole text is selected, beyond the window (a keystroke, a paste or a cut replaces all
    // of it, a copy copies all of it).
    [[nodiscard]] bool WholeSelected() const noexcept { return mWholeSelected; }
    void SetWholeSelected(bool selected) noexcept { mWholeSelected = selected; }
    // Whether text holds U+0000 or U+0001; text without them, position (within text) moved to
    // where it is in what remains.
    [[nodiscard]] static bool HasForbidden(const QString& text) noexcept;
    [[nodiscard]] static QString WithoutForbidden(const QString& text, qsizetype& position);
    // The window became edited (without U+0000 and U+0001), by an edit of kind, with before the
    // caret and selection from before it: writes the change into the whole text and records it.
    // True when the window now reads otherwise than edited (a change next to bytes that are no
    // well-formed UTF-8 can make them read differently); Window() then has what to show.
    [[nodiscard]] bool ApplyWindowEdit(const QString& edited, const Selection& before,
                                       EditKind kind);

    // Replaces the selection before (or the whole text, when it is selected) with text (UTF-8,
    // without U+0000 and U+0001), as one change of its own: a paste, a drop. Returns the offset
    // after the inserted text. The window is not moved; PlaceWindow shows the caret.
    [[nodiscard]] std::size_t ReplaceSelection(std::string_view text, const Selection& before);
    // The shaping cost of the bytes of text (see above).
    [[nodiscard]] static std::size_t ShapingCost(std::string_view text) noexcept;

    // --- History ---
    [[nodiscard]] bool CanUndo() const noexcept { return mDone > 0; }
    [[nodiscard]] bool CanRedo() const noexcept { return mDone < mHistory.size(); }
    // Undoes or redoes one change of the whole text; the caret and selection to show after it
    // (none when there was nothing to undo or redo).
    [[nodiscard]] std::optional<Selection> Undo();
    [[nodiscard]] std::optional<Selection> Redo();
    // The next change starts a change of its own, even of the same kind (the caret moved).
    void EndRun() noexcept { mMergeOpen = false; }

private:
    // Texts of a cell's length: a huge one in huge pages.
    using Text =
        std::basic_string<char, std::char_traits<char>, holiday::detail::LargeAllocator<char>>;

    // One change of the whole text: at Offset, Removed became Inserted.
    struct Change {
        std::size_t Offset;
        Text Removed;
        Text Inserted;
        EditKind Kind;
        Selection Before;
    };

    // Adds change to the history, merged into the last one when it goes on with its run.
    void Record(Change change);
    void ClearHistory() noexcept;
    void ReadWindow();

    Text mWhole;
    std::size_t mWinBegin = 0; // the window: bytes mWinBegin .. mWinEnd - 1 of mWhole
    std::size_t mWinEnd = 0;
    QString mShown; // the window's text
    bool mWholeSelected = false;

    std::vector<Change> mHistory;
    std::size_t mDone = 0; // the changes of mHistory that are applied; the rest can be redone
    std::size_t mHistoryBytes = 0;
    bool mMergeOpen = false; // the next change of the same kind may join the last
};

} // namespace app
