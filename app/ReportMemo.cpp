#include "app/ReportMemo.h"

#include "app/ErrorDisplay.h"
#include "app/ReportMemoAccessible.h"
#include "app/ShownText.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <limits>

namespace app {

namespace {

// The text's distance from the box's edges.
constexpr int Margin = 4;
// A copy takes at most this many bytes of UTF-8 text from the start of the selection: the
// clipboard holds it as UTF-8 and a paste turns it into UTF-16, so the bound keeps both far
// below the size limits of a string and of the memory a desktop has.
constexpr std::size_t CopyLimitBytes = std::size_t{256} << 20;
// Rows that one step of the mouse wheel scrolls.
constexpr int WheelRows = 3;

[[nodiscard]] bool IsContinuation(char c) noexcept {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Words are what spaces separate: a date such as "29.02.2005:" is one.
[[nodiscard]] bool IsWordChar(char32_t c) noexcept {
    return !QChar::isSpace(c);
}

// Text for the store: "\r\n" and "\r" become "\n".
[[nodiscard]] std::string WithLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

[[nodiscard]] std::string ToUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

ReportMemo::ReportMemo(QWidget* parent) : QAbstractScrollArea(parent), mLayout(mLines) {
    InstallReportMemoAccessible();
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    mLayout.SetFont(font());
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, Guarded(this, [this] {
                if (!mSyncingBar) {
                    mFollowEnd = false;
                    mTop = {verticalScrollBar()->value(), 0};
                    viewport()->update();
                }
            }));
    SyncScrollBar();
}

ReportMemo::~ReportMemo() = default;

// --- The text ----------------------------------------------------------------------------------

void ReportMemo::Clear() {
    mLines.Clear();
    mLayout.ForgetAll();
    mCaret = mAnchor = {};
    mTop = {};
    mGoalX = -1;
    Changed();
}

void ReportMemo::AppendLine(const QString& line) {
    std::string bytes = ToUtf8(line);
    // A line holds no line break: one given in it starts a line of its own, as typed.
    bytes = WithLineBreaks(bytes);
    bytes.push_back('\n');
    mLayout.Forget(mLines.LineCount() - 1);
    mLines.Append(bytes);
    EndAppend();
}

void ReportMemo::AppendReportLine(std::string_view lead, std::string_view title) {
    mLayout.Forget(mLines.LineCount() - 1);
    if (lead.size() + title.size() <= static_cast<std::size_t>(MaxLineLength)) {
        // At most MaxLineLength bytes take at most as many UTF-16 code units.
        mLines.Append(lead);
        mLines.Append(title);
        mLines.Append("\n");
    } else {
        // Only the start shows, and MaxLineLength characters take at most four bytes each.
        std::string start(lead);
        start.append(title.substr(0, 4 * static_cast<std::size_t>(MaxLineLength)));
        AppendLine(ElidedLine(start, MaxLineLength));
        return;
    }
    EndAppend();
}

void ReportMemo::EndAppend() {
    ++mRevision;
    if (mScopes == 0) {
        ShowEnd();
    }
}

void ReportMemo::ShowEnd() {
    mCaret = mAnchor = mLines.End();
    mGoalX = -1;
    mFollowEnd = true;
    Changed();
}

QStringList ReportMemo::Lines() const {
    QStringList lines;
    std::int64_t count = LineCount();
    lines.reserve(static_cast<qsizetype>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        lines.append(FromUtf8(mLines.Line(i)));
    }
    return lines;
}

std::int64_t ReportMemo::LineCount() const noexcept {
    // An empty last line is only the place after the last line break.
    const std::int64_t count = mLines.LineCount();
    return mLines.Line(count - 1).empty() ? count - 1 : count;
}

QString ReportMemo::Text() const {
    return FromUtf8(mLines.Text({}, mLines.End()));
}

// --- Caret and selection -----------------------------------------------------------------------

void ReportMemo::SetCaret(ReportPos pos, bool keepAnchor) {
    mCaret = mLines.Clamped(pos);
    if (!keepAnchor) {
        mAnchor = mCaret;
    }
    mFollowEnd = false;
    ++mRevision;
    EnsureCaretVisible();
    RestartBlink();
    viewport()->update();
    NotifyAccessible();
}

void ReportMemo::SelectAll() {
    mAnchor = {};
    SetCaret(mLines.End(), true);
}

std::string ReportMemo::SelectedText() const {
    return mLines.Text(std::min(mCaret, mAnchor), std::max(mCaret, mAnchor));
}

void ReportMemo::EraseSelection() {
    const ReportPos from = std::min(mCaret, mAnchor);
    mLines.Erase(mCaret, mAnchor);
    mCaret = mAnchor = from;
}

void ReportMemo::InsertText(std::string_view text) {
    EraseSelection();
    mCaret = mAnchor = mLines.Insert(mCaret, WithLineBreaks(text));
    mGoalX = -1;
    mFollowEnd = false;
    mLayout.ForgetAll();
    Changed();
}

void ReportMemo::Copy() const {
    CopyTo(QClipboard::Clipboard);
}

void ReportMemo::CopyTo(QClipboard::Mode mode) const {
    if (mCaret == mAnchor) {
        return;
    }
    const ReportPos from = std::min(mCaret, mAnchor);
    ReportPos to = std::max(mCaret, mAnchor);
    const std::uint64_t start = mLines.Offset(from);
    if (mLines.Offset(to) - start > CopyLimitBytes) {
        to = mLines.PosAt(start + CopyLimitBytes);
        const std::string_view line = mLines.Line(to.Line);
        while (to.Byte > 0 && to.Byte < line.size() && IsContinuation(line[to.Byte])) {
            --to.Byte; // never inside a character
        }
    }
    const std::string text = mLines.Text(from, to);
    auto* mime = new QMimeData;
    mime->setText(FromUtf8(text));
    QGuiApplication::clipboard()->setMimeData(mime, mode);
}

void ReportMemo::Cut() {
    if (mCaret == mAnchor) {
        return;
    }
    Copy();
    InsertText({});
}

void ReportMemo::Paste() {
    PasteFrom(QClipboard::Clipboard);
}

void ReportMemo::PasteFrom(QClipboard::Mode mode) {
    // Qt's clipboard may hold no data at all; then a paste does nothing.
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData(mode);
    if (mime == nullptr || !mime->hasText()) {
        return;
    }
    InsertText(ToUtf8(mime->text()));
}

ReportPos ReportMemo::NextChar(ReportPos pos) const {
    const std::string_view line = mLines.Line(pos.Line);
    if (pos.Byte >= line.size()) {
        return pos.Line + 1 < mLines.LineCount() ? ReportPos{pos.Line + 1, 0} : pos;
    }
    return {pos.Line, pos.Byte + DecodeUtf8Char(line, pos.Byte).Bytes};
}

ReportPos ReportMemo::PreviousChar(ReportPos pos) const {
    if (pos.Byte == 0) {
        return pos.Line > 0 ? ReportPos{pos.Line - 1, mLines.Line(pos.Line - 1).size()} : pos;
    }
    // The start of the character that ends at pos, as DecodeUtf8Char reads the line.
    const std::string_view line = mLines.Line(pos.Line);
    std::size_t start = pos.Byte - 1;
    while (start > 0 && pos.Byte - start < 4 && IsContinuation(line[start])) {
        --start;
    }
    while (start < pos.Byte && start + DecodeUtf8Char(line, start).Bytes != pos.Byte) {
        ++start;
    }
    return {pos.Line, std::min(start, pos.Byte - 1)};
}

ReportPos ReportMemo::NextWord(ReportPos pos) const {
    const std::string_view line = mLines.Line(pos.Line);
    if (pos.Byte >= line.size()) {
        return NextChar(pos);
    }
    bool inWord = true;
    while (pos.Byte < line.size()) {
        const Utf8Char c = DecodeUtf8Char(line, pos.Byte);
        const bool word = IsWordChar(c.CodePoint);
        if (word && !inWord) {
            break;
        }
        inWord = inWord && word;
        pos.Byte += c.Bytes;
    }
    return pos;
}

ReportPos ReportMemo::PreviousWord(ReportPos pos) const {
    if (pos.Byte == 0) {
        return PreviousChar(pos);
    }
    const std::string_view line = mLines.Line(pos.Line);
    bool seenWord = false;
    while (pos.Byte > 0) {
        const ReportPos before = PreviousChar(pos);
        const bool word = IsWordChar(DecodeUtf8Char(line, before.Byte).CodePoint);
        if (!word && seenWord) {
            break;
        }
        seenWord = seenWord || word;
        pos = before;
    }
    return pos;
}

void ReportMemo::SelectWordAt(ReportPos pos) {
    const std::string_view line = mLines.Line(pos.Line);
    ReportPos from = pos;
    ReportPos to = pos;
    while (from.Byte > 0 && IsWordChar(DecodeUtf8Char(line, PreviousChar(from).Byte).CodePoint)) {
        from = PreviousChar(from);
    }
    while (to.Byte < line.size() && IsWordChar(DecodeUtf8Char(line, to.Byte).CodePoint)) {
        to = NextChar(to);
    }
    if (from == to && to.Byte < line.size()) {
        to = NextChar(to); // a space or a sign alone
    }
    mAnchor = from;
    SetCaret(to, true);
}

// --- Layout and scrolling ----------------------------------------------------------------------

void ReportMemo::Changed() {
    ++mRevision;
    EnsureCaretVisible();
    RestartBlink();
    viewport()->update();
    NotifyAccessible();
}

void ReportMemo::EnsureLayout() {
    mLayout.SetWidth(viewport()->width() - 2 * Margin);
    mLayout.Trim();
    mTop = {std::clamp<std::int64_t>(mTop.Line, 0, mLines.LineCount() - 1), mTop.Index};
    mTop.Index = std::clamp(mTop.Index, 0, mLayout.Rows(mTop.Line) - 1);
    if (mFollowEnd) {
        mTop = std::min(mTop, MaxTop());
        const ReportLayout::Row caret = mLayout.RowOf(mCaret);
        mTop = std::max(mTop, mLayout.Moved(caret, -(VisibleRows() - 1)));
        mTop = std::min(mTop, caret);
    }
    SyncScrollBar();
}

int ReportMemo::VisibleRows() const {
    return std::max(1, (viewport()->height() - 2 * Margin) / mLayout.RowHeight());
}

ReportLayout::Row ReportMemo::MaxTop() {
    const std::int64_t last = mLines.LineCount() - 1;
    return mLayout.Moved({last, mLayout.Rows(last) - 1}, -(VisibleRows() - 1));
}

void ReportMemo::SyncScrollBar() {
    mSyncingBar = true;
    QScrollBar* bar = verticalScrollBar();
    constexpr std::int64_t Most = std::numeric_limits<int>::max();
    bar->setRange(0, static_cast<int>(std::min(MaxTop().Line, Most)));
    bar->setPageStep(VisibleRows());
    bar->setValue(static_cast<int>(std::min(mTop.Line, Most)));
    mSyncingBar = false;
}

std::optional<int> ReportMemo::RowsFromTop(ReportLayout::Row row) {
    if (row < mTop) {
        return std::nullopt;
    }
    ReportLayout::Row at = mTop;
    for (int rows = 0; rows <= VisibleRows() + 1; ++rows) {
        if (at == row) {
            return rows;
        }
        const ReportLayout::Row next = mLayout.Moved(at, 1);
        if (next == at) {
            break;
        }
        at = next;
    }
    return std::nullopt;
}

void ReportMemo::EnsureCaretVisible() {
    mLayout.SetWidth(viewport()->width() - 2 * Margin);
    const ReportLayout::Row caret = mLayout.RowOf(mCaret);
    const int visible = VisibleRows();
    if (caret < mTop) {
        mTop = caret;
    } else if (!RowsFromTop(caret).has_value() || *RowsFromTop(caret) >= visible) {
        mTop = mLayout.Moved(caret, -(visible - 1));
    }
    SyncScrollBar();
}

void ReportMemo::ScrollRows(std::int64_t rows) {
    EnsureLayout();
    mFollowEnd = false;
    mTop = std::min(mLayout.Moved(mTop, rows), std::max(MaxTop(), ReportLayout::Row{}));
    SyncScrollBar();
    viewport()->update();
}

ReportPos ReportMemo::PosAt(QPoint point) {
    EnsureLayout();
    const int y = point.y() - Margin;
    const int rows = y >= 0 ? y / mLayout.RowHeight() : -1 - (-y - 1) / mLayout.RowHeight();
    const ReportLayout::Row row = mLayout.Moved(mTop, rows);
    return mLayout.PosInRow(row, point.x() - Margin);
}

QRect ReportMemo::CaretRect() {
    return PlaceRect(mCaret);
}

QRect ReportMemo::PlaceRect(ReportPos pos) {
    EnsureLayout();
    pos = mLines.Clamped(pos);
    const ReportLayout::Row row = mLayout.RowOf(pos);
    const std::optional<int> rows = RowsFromTop(row);
    const int y = Margin + (rows.has_value() ? *rows : -1 - VisibleRows()) * mLayout.RowHeight();
    const int x = Margin + static_cast<int>(mLayout.CaretX(pos));
    return {x, y, 1, mLayout.RowHeight()};
}

// --- Painting ----------------------------------------------------------------------------------

void ReportMemo::paintEvent(QPaintEvent* /*event*/) {
    RunGuarded(this, [&] {
        EnsureLayout();
        QPainter painter(viewport());
        painter.setPen(palette().color(QPalette::Text));
        const QPalette::ColorGroup group =
            hasFocus() || isActiveWindow() ? QPalette::Active : QPalette::Inactive;
        QTextCharFormat selected;
        selected.setBackground(palette().brush(group, QPalette::Highlight));
        selected.setForeground(palette().brush(group, QPalette::HighlightedText));
        const ReportPos from = std::min(mCaret, mAnchor);
        const ReportPos to = std::max(mCaret, mAnchor);
        const int height = viewport()->height();
        qreal top = Margin - static_cast<qreal>(mTop.Index) * mLayout.RowHeight();
        for (std::int64_t line = mTop.Line; line < mLines.LineCount() && top < height; ++line) {
            const ReportLayout::LineLayout& layout = mLayout.Line(line);
            const std::string_view text = mLines.Line(line);
            const QPointF origin(Margin, top);
            for (const ReportLayout::Piece& piece : layout.Pieces) {
                QList<QTextLayout::FormatRange> formats;
                if (from != to && from.Line <= line && line <= to.Line) {
                    // The selected bytes of this piece; a selected line break shows as a space.
                    const std::size_t begin =
                        std::max(line == from.Line ? from.Byte : 0, piece.Begin);
                    std::size_t end = std::min(line == to.Line ? to.Byte : text.size(), piece.End);
                    const bool lineBreak = line != to.Line && &piece == &layout.Pieces.back();
                    if (begin < end || (lineBreak && begin <= end)) {
                        const int first = ReportLayout::UnitOf(text, piece, begin);
                        const int last = ReportLayout::UnitOf(text, piece, end);
                        formats.append({first, last - first, selected});
                        if (lineBreak) {
                            const QTextLine row = piece.Layout->lineForTextPosition(last);
                            if (row.isValid()) {
                                const qreal x = row.cursorToX(last);
                                painter.fillRect(QRectF(origin.x() + x, origin.y() + row.y(),
                                                        QFontMetricsF(font()).averageCharWidth(),
                                                        row.height()),
                                                 selected.background());
                            }
                        }
                    }
                }
                piece.Layout->draw(&painter, origin, formats);
            }
            if (line == mCaret.Line && mCaretShown && hasFocus()) {
                const ReportLayout::Piece& piece = ReportLayout::PieceAt(layout, mCaret.Byte);
                piece.Layout->drawCursor(&painter, origin,
                                         ReportLayout::UnitOf(text, piece, mCaret.Byte), 1);
            }
            top += static_cast<qreal>(layout.Rows) * mLayout.RowHeight();
        }
    });
}

void ReportMemo::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    RunGuarded(this, [&] {
        EnsureLayout();
        viewport()->update();
    });
}

void ReportMemo::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        mLayout.SetFont(font());
        viewport()->update();
    } else if (event->type() == QEvent::PaletteChange ||
               event->type() == QEvent::ActivationChange) {
        viewport()->update();
    }
}

void ReportMemo::scrollContentsBy(int /*dx*/, int /*dy*/) {
    // The view follows the scroll bar's value (a line), repainted as a whole.
}

void ReportMemo::RestartBlink() {
    mCaretShown = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0) {
        mBlink.start(flash / 2, this);
    } else {
        mBlink.stop();
    }
}

void ReportMemo::timerEvent(QTimerEvent* event) {
    if (event->timerId() == mBlink.timerId()) {
        mCaretShown = !mCaretShown;
        viewport()->update();
    } else if (event->timerId() == mTripleClick.timerId()) {
        mTripleClick.stop();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void ReportMemo::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    RestartBlink();
    viewport()->update();
}

void ReportMemo::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    mBlink.stop();
    viewport()->update();
}

// --- Keys --------------------------------------------------------------------------------------

namespace {

enum class Move { Char, Word, Row, Page, RowEdge, TextEdge };

struct KeyMove {
    QKeySequence::StandardKey MoveKey;
    QKeySequence::StandardKey SelectKey;
    Move How;
    bool Forward;
};

constexpr std::array<KeyMove, 12> KeyMoves{{
    {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Move::Char, true},
    {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Move::Char, false},
    {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Move::Word, true},
    {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Move::Word, false},
    {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Move::Row, true},
    {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Move::Row, false},
    {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Move::Page, true},
    {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Move::Page, false},
    {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Move::RowEdge, true},
    {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Move::RowEdge, false},
    {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Move::TextEdge, true},
    {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Move::TextEdge,
     false},
}};

constexpr std::array<QKeySequence::StandardKey, 8> EditKeys{
    QKeySequence::SelectAll,
    QKeySequence::Copy,
    QKeySequence::Cut,
    QKeySequence::Paste,
    QKeySequence::Delete,
    QKeySequence::DeleteStartOfWord,
    QKeySequence::DeleteEndOfWord,
    QKeySequence::InsertParagraphSeparator,
};

[[nodiscard]] bool IsTyped(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        return false;
    }
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.isPrint() || c.isSurrogate(); });
}

} // namespace

bool ReportMemo::IsEditingKey(QKeyEvent* event) const {
    const auto matches = [event](QKeySequence::StandardKey key) { return event->matches(key); };
    return IsTyped(event) || event->key() == Qt::Key_Backspace ||
           event->matches(QKeySequence::InsertLineSeparator) ||
           std::any_of(EditKeys.begin(), EditKeys.end(), matches) ||
           std::any_of(KeyMoves.begin(), KeyMoves.end(), [&](const KeyMove& move) {
               return matches(move.MoveKey) || matches(move.SelectKey);
           });
}

bool ReportMemo::event(QEvent* event) {
    // The box's own keys go to it even where the window has a shortcut for them.
    if (event->type() == QEvent::ShortcutOverride && IsEditingKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void ReportMemo::keyPressEvent(QKeyEvent* event) {
    RunGuarded(this, [&] { HandleKey(event); });
}

ReportPos ReportMemo::Moved(ReportPos pos, int how, bool forward) {
    EnsureLayout();
    switch (static_cast<Move>(how)) {
    case Move::Char:
        return forward ? NextChar(pos) : PreviousChar(pos);
    case Move::Word:
        return forward ? NextWord(pos) : PreviousWord(pos);
    case Move::Row:
    case Move::Page: {
        const ReportLayout::Row row = mLayout.RowOf(pos);
        if (mGoalX < 0) {
            mGoalX = mLayout.CaretX(pos);
        }
        const int rows = static_cast<Move>(how) == Move::Row ? 1 : VisibleRows();
        const ReportLayout::Row target = mLayout.Moved(row, forward ? rows : -rows);
        if (target == row) {
            return forward ? mLayout.RowEnd(row) : mLayout.RowStart(row);
        }
        if (static_cast<Move>(how) == Move::Page) {
            mTop = mLayout.Moved(mTop, forward ? rows : -rows);
        }
        return mLayout.PosInRow(target, mGoalX);
    }
    case Move::RowEdge: {
        const ReportLayout::Row row = mLayout.RowOf(pos);
        return forward ? mLayout.RowEnd(row) : mLayout.RowStart(row);
    }
    case Move::TextEdge:
        return forward ? mLines.End() : ReportPos{};
    }
    return pos;
}

void ReportMemo::HandleKey(QKeyEvent* event) {
    event->accept();
    for (const KeyMove& move : KeyMoves) {
        const bool select = event->matches(move.SelectKey);
        if (!select && !event->matches(move.MoveKey)) {
            continue;
        }
        const qreal goal = mGoalX;
        ReportPos to;
        if (!select && mCaret != mAnchor && move.How == Move::Char) {
            to = move.Forward ? std::max(mCaret, mAnchor) : std::min(mCaret, mAnchor);
        } else {
            to = Moved(mCaret, static_cast<int>(move.How), move.Forward);
        }
        const bool vertical = move.How == Move::Row || move.How == Move::Page;
        SetCaret(to, select);
        mGoalX = vertical ? (goal < 0 ? mGoalX : goal) : -1;
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (event->matches(QKeySequence::Copy)) {
        Copy();
    } else if (event->matches(QKeySequence::Cut)) {
        Cut();
    } else if (event->matches(QKeySequence::Paste)) {
        Paste();
    } else if (event->matches(QKeySequence::InsertParagraphSeparator) ||
               event->matches(QKeySequence::InsertLineSeparator)) {
        InsertText("\n");
    } else if (event->key() == Qt::Key_Backspace || event->matches(QKeySequence::Delete) ||
               event->matches(QKeySequence::DeleteStartOfWord) ||
               event->matches(QKeySequence::DeleteEndOfWord)) {
        if (mCaret == mAnchor) {
            const bool word = event->matches(QKeySequence::DeleteStartOfWord) ||
                              event->matches(QKeySequence::DeleteEndOfWord);
            const bool forward = event->matches(QKeySequence::Delete) ||
                                 event->matches(QKeySequence::DeleteEndOfWord);
            mAnchor = word ? (forward ? NextWord(mCaret) : PreviousWord(mCaret))
                           : (forward ? NextChar(mCaret) : PreviousChar(mCaret));
        }
        InsertText({});
    } else if (IsTyped(event)) {
        InsertText(ToUtf8(event->text()));
    } else {
        event->ignore();
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ReportMemo::inputMethodEvent(QInputMethodEvent* event) {
    RunGuarded(this, [&] {
        if (!event->commitString().isEmpty()) {
            InsertText(ToUtf8(event->commitString()));
        }
        event->accept();
    });
}

QVariant ReportMemo::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImFont:
        return font();
    case Qt::ImCursorRectangle:
        return const_cast<ReportMemo*>(this)->CaretRect();
    case Qt::ImCursorPosition:
        return static_cast<int>(FromUtf8(mLines.Line(mCaret.Line).substr(0, mCaret.Byte)).size());
    case Qt::ImSurroundingText:
        return Utf8Prefix(mLines.Line(mCaret.Line), MaxLineLength);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// --- Mouse -------------------------------------------------------------------------------------

void ReportMemo::mousePressEvent(QMouseEvent* event) {
    RunGuarded(this, [&] {
        const QPoint at = event->position().toPoint();
        if (event->button() == Qt::MiddleButton &&
            QGuiApplication::clipboard()->supportsSelection()) {
            SetCaret(PosAt(at));
            PasteFrom(QClipboard::Selection);
            return;
        }
        if (event->button() != Qt::LeftButton) {
            return;
        }
        const ReportPos pos = PosAt(at);
        if (mTripleClick.isActive() &&
            (at - mDoubleClickAt).manhattanLength() < QApplication::startDragDistance()) {
            // The third click selects the whole line with its line break.
            mAnchor = {pos.Line, 0};
            SetCaret(NextChar({pos.Line, mLines.Line(pos.Line).size()}), true);
        } else {
            SetCaret(pos, (event->modifiers() & Qt::ShiftModifier) != 0);
        }
        mDragging = true;
    });
}

void ReportMemo::mouseMoveEvent(QMouseEvent* event) {
    RunGuarded(this, [&] {
        if (!mDragging || !(event->buttons() & Qt::LeftButton)) {
            return;
        }
        const QPoint at = event->position().toPoint();
        if (at.y() < 0) {
            ScrollRows(-1);
        } else if (at.y() > viewport()->height()) {
            ScrollRows(1);
        }
        SetCaret(PosAt(at), true);
    });
}

void ReportMemo::mouseReleaseEvent(QMouseEvent* event) {
    RunGuarded(this, [&] {
        if (event->button() == Qt::LeftButton) {
            mDragging = false;
            // Where the system has a selection clipboard, a selection made with the mouse goes
            // there, for a paste with the middle button.
            if (QGuiApplication::clipboard()->supportsSelection()) {
                CopyTo(QClipboard::Selection);
            }
        }
    });
}

void ReportMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    RunGuarded(this, [&] {
        if (event->button() != Qt::LeftButton) {
            return;
        }
        mDoubleClickAt = event->position().toPoint();
        SelectWordAt(PosAt(mDoubleClickAt));
        mTripleClick.start(QApplication::doubleClickInterval(), this);
        mDragging = false;
    });
}

void ReportMemo::wheelEvent(QWheelEvent* event) {
    RunGuarded(this, [&] {
        mWheelAngle += event->angleDelta().y();
        const int steps = mWheelAngle / 120;
        mWheelAngle -= steps * 120;
        if (steps != 0) {
            ScrollRows(-static_cast<std::int64_t>(steps) * WheelRows);
        }
        event->accept();
    });
}

void ReportMemo::contextMenuEvent(QContextMenuEvent* event) {
    // The entries of Qt's own text boxes, in Qt's words.
    const auto text = [](const char* words, QKeySequence::StandardKey key) {
        return QCoreApplication::translate("QWidgetTextControl", words) + u'\t' +
               QKeySequence(key).toString(QKeySequence::NativeText);
    };
    const bool selected = mCaret != mAnchor;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    QMenu menu(this);
    menu.addAction(text("Cu&t", QKeySequence::Cut), Guarded(this, [this] { Cut(); }))
        ->setEnabled(selected);
    menu.addAction(text("&Copy", QKeySequence::Copy), Guarded(this, [this] { Copy(); }))
        ->setEnabled(selected);
    menu.addAction(text("&Paste", QKeySequence::Paste), Guarded(this, [this] { Paste(); }))
        ->setEnabled(mime != nullptr && mime->hasText());
    menu.addAction(QCoreApplication::translate("QWidgetTextControl", "Delete"),
                   Guarded(this, [this] { InsertText({}); }))
        ->setEnabled(selected);
    menu.addSeparator();
    menu.addAction(text("Select All", QKeySequence::SelectAll),
                   Guarded(this, [this] { SelectAll(); }))
        ->setEnabled(mLines.TextBytes() > 0);
    menu.exec(event->globalPos());
}

void ReportMemo::NotifyAccessible() {
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, AccessibleCaretOffset(*this));
        QAccessible::updateAccessibility(&moved);
    }
}

// --- Appending in a scope ----------------------------------------------------------------------

ReportMemo::AppendScope::AppendScope(ReportMemo& memo) : mMemo(memo) {
    ++mMemo.mScopes;
}

ReportMemo::AppendScope::~AppendScope() {
    if (--mMemo.mScopes == 0) {
        RunGuarded(&mMemo, [this] { mMemo.ShowEnd(); });
    }
}

} // namespace app
