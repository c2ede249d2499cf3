#pragma once

#include "app/ReportLayout.h"
#include "app/ReportLines.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QClipboard>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QMimeData;

namespace app {

// The report box `Memo1`: an editable multi-line text box with a vertical scroll bar that is
// always shown, lines wrapped at the box's width, Return for a line break and Tab moving the
// focus on. Its text is a sequence of lines each ended by a line break, so a box that holds n
// lines shows them followed by one empty line where the caret waits.
//
// The text lives in a ReportLines store (UTF-8 in large blocks); the box lays out and paints
// only the lines that show, so a report of millions of lines costs its text and no more. The
// scroll bar counts lines; the view itself may also stand at a row inside a wrapped line.
//
// A copy puts the selection on the clipboard as UTF-8 text/plain, whatever its length. A paste
// while the clipboard holds no text does nothing.
class ReportMemo : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Lines longer than this many UTF-16 code units are shortened for display by
    // AppendReportLine.
    static constexpr qsizetype MaxLineLength = 4096;

    explicit ReportMemo(QWidget* parent = nullptr);
    ~ReportMemo() override;

    // Empties the box.
    void Clear();
    // Adds line and a line break at the end of the text and shows the end (within a scope,
    // when the scope ends). Costs the line, never the text before it.
    void AppendLine(const QString& line);
    // Adds the line lead + title (UTF-8) like AppendLine; a line longer than MaxLineLength
    // shows its start followed by "…". Costs the characters shown, whatever the title's length.
    void AppendReportLine(std::string_view lead, std::string_view title = {});
    // The lines of the box's text: one per line break, and the text after the last line break
    // when it is not empty. (Builds one QString a line: for small reports.)
    [[nodiscard]] QStringList Lines() const;
    // How many lines Lines() gives.
    [[nodiscard]] std::int64_t LineCount() const noexcept;
    // The whole text, lines joined by "\n" (for small reports).
    [[nodiscard]] QString Text() const;
    [[nodiscard]] const ReportLines& Store() const noexcept { return mLines; }
    // Moves the caret to the end and the view to the last lines; the layout waits for the
    // next paint, so this costs nothing however often it is called.
    void ShowEnd();

    // The caret and the selection's anchor (equal when nothing is selected).
    [[nodiscard]] ReportPos Caret() const noexcept { return mCaret; }
    [[nodiscard]] ReportPos Anchor() const noexcept { return mAnchor; }
    void SetCaret(ReportPos pos, bool keepAnchor = false);
    void SelectAll();
    [[nodiscard]] std::string SelectedText() const;
    // Replaces the selection with text (UTF-8; "\r\n" and "\r" become line breaks).
    void InsertText(std::string_view text);
    // Puts the selection on the clipboard: at most its first 256 MiB of UTF-8 text, cut
    // before a character.
    void Copy() const;
    void Cut();
    void Paste();
    // The caret's rectangle in viewport coordinates.
    [[nodiscard]] QRect CaretRect();
    // The rectangle of a place's caret, in viewport coordinates (above the viewport when the
    // place is not in view).
    [[nodiscard]] QRect PlaceRect(ReportPos pos);
    // The place shown nearest to a viewport point.
    [[nodiscard]] ReportPos PosAt(QPoint point);
    // The first row shown.
    [[nodiscard]] ReportLayout::Row TopRow() const noexcept { return mTop; }

    // While a scope lives, appended lines go into the text without being shown; when the
    // scope ends, also by an error, the box shows the end.
    class AppendScope {
    public:
        explicit AppendScope(ReportMemo& memo);
        ~AppendScope();
        AppendScope(const AppendScope&) = delete;
        AppendScope& operator=(const AppendScope&) = delete;

    private:
        ReportMemo& mMemo;
    };

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    [[nodiscard]] QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void HandleKey(QKeyEvent* event);
    // pos moved as a key moves the caret (how: a Move of ReportMemo.cpp).
    [[nodiscard]] ReportPos Moved(ReportPos pos, int how, bool forward);
    void EndAppend();
    void PasteFrom(QClipboard::Mode mode);
    void CopyTo(QClipboard::Mode mode) const;
    // How many rows below the top row a row shows, when it shows.
    [[nodiscard]] std::optional<int> RowsFromTop(ReportLayout::Row row);
    [[nodiscard]] bool IsEditingKey(QKeyEvent* event) const;
    void Changed();
    void EnsureLayout();
    void SyncScrollBar();
    [[nodiscard]] int VisibleRows() const;
    [[nodiscard]] ReportLayout::Row MaxTop();
    void EnsureCaretVisible();
    void ScrollRows(std::int64_t rows);
    void RestartBlink();
    void EraseSelection();
    [[nodiscard]] ReportPos NextChar(ReportPos pos) const;
    [[nodiscard]] ReportPos PreviousChar(ReportPos pos) const;
    [[nodiscard]] ReportPos NextWord(ReportPos pos) const;
    [[nodiscard]] ReportPos PreviousWord(ReportPos pos) const;
    void SelectWordAt(ReportPos pos);
    void NotifyAccessible();

    ReportLines mLines;
    ReportLayout mLayout;
    ReportPos mCaret;
    ReportPos mAnchor;
    ReportLayout::Row mTop;
    qreal mGoalX = -1; // the x that Up and Down keep
    bool mFollowEnd = true;
    bool mSyncingBar = false;
    bool mCaretShown = true;
    bool mDragging = false;
    int mScopes = 0;
    int mWheelAngle = 0;
    std::uint64_t mRevision = 0; // counts the changes of text and caret
    QBasicTimer mBlink;
    QBasicTimer mTripleClick;
    QPoint mDoubleClickAt;
};

} // namespace app
