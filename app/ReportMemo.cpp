#include "app/ReportMemo.h"

#include "app/DisplayText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>

namespace app {

namespace {

// Lines per paragraph of a report: few enough that laying out or splitting one takes no time.
constexpr qsizetype LinesPerParagraph = 16;

} // namespace

ReportMemo::ReportMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    // A report of a million lines would be kept twice in an undo history.
    setUndoRedoEnabled(false);
}

void ReportMemo::Clear() {
    mPending.clear();
    clear();
}

void ReportMemo::AppendLine(const QString& line) {
    mPending.append(line);
    if (mScopes == 0) {
        Flush();
        ShowEnd();
    }
}

void ReportMemo::AppendReportLine(std::string_view line) {
    AppendLine(ElidedLine(line, MaxLineLength));
}

void ReportMemo::Flush() {
    if (mPending.isEmpty()) {
        return;
    }
    // The text always ends with the empty line after the last line break: the new lines go
    // there and it follows them.
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    for (qsizetype first = 0; first < mPending.size(); first += LinesPerParagraph) {
        const QStringList lines = mPending.mid(first, LinesPerParagraph);
        end.insertText(lines.join(QChar::LineSeparator));
        end.insertBlock();
        // Until a paragraph is laid out the scroll bar counts its lines as set here: as many as
        // a paragraph per line would count.
        end.block().previous().setLineCount(static_cast<int>(lines.size()));
    }
    end.endEditBlock();
    mPending.clear();
}

void ReportMemo::ShowEnd() {
    QTextCursor caret = textCursor();
    caret.movePosition(QTextCursor::End);
    setTextCursor(caret);
}

QStringList ReportMemo::Lines() const {
    QStringList lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        lines.append(block.text().split(QChar::LineSeparator));
    }
    // An empty last line is only the place after the last line break.
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

void ReportMemo::SplitParagraph(const QTextBlock& paragraph) {
    const QString text = paragraph.text();
    if (!text.contains(QChar::LineSeparator)) {
        return;
    }
    const int start = paragraph.position();
    const bool modified = document()->isModified();
    viewport()->setUpdatesEnabled(false);
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QChar::LineSeparator) {
            // A paragraph break takes the line separator's place, so no position moves.
            cursor.setPosition(start + static_cast<int>(i));
            cursor.deleteChar();
            cursor.insertBlock();
        }
    }
    const QTextBlock last = cursor.block();
    for (QTextBlock line = document()->findBlock(start); line.isValid(); line = line.next()) {
        line.setLineCount(1);
        if (line == last) {
            break;
        }
    }
    cursor.endEditBlock();
    document()->setModified(modified);
    viewport()->setUpdatesEnabled(true);
}

bool ReportMemo::canInsertFromMimeData(const QMimeData* source) const {
    return source != nullptr && QPlainTextEdit::canInsertFromMimeData(source);
}

void ReportMemo::insertFromMimeData(const QMimeData* source) {
    // Qt's text control crashes on a paste from a clipboard that holds no data.
    if (source != nullptr && source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
    }
}

void ReportMemo::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        if (mime == nullptr || !mime->hasText()) {
            event->accept();
            return;
        }
    }
    // Some keys work on the caret's paragraph: on X11, Ctrl+K deletes to its end.
    SplitParagraph(textCursor().block());
    QPlainTextEdit::keyPressEvent(event);
}

void ReportMemo::mousePressEvent(QMouseEvent* event) {
    SplitParagraph(cursorForPosition(event->position().toPoint()).block());
    QPlainTextEdit::mousePressEvent(event);
}

void ReportMemo::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() != Qt::NoButton) {
        SplitParagraph(cursorForPosition(event->position().toPoint()).block());
    }
    QPlainTextEdit::mouseMoveEvent(event);
}

void ReportMemo::scrollContentsBy(int dx, int dy) {
    QPlainTextEdit::scrollContentsBy(dx, dy);
    // The box shows a paragraph scrolled to one of its later lines a pixel lower than one
    // scrolled to its first line. Before the box repaints, and not while it is still scrolling,
    // its top line gets a paragraph of its own, as in a box of one paragraph per line.
    QMetaObject::invokeMethod(
        this, [this] { SplitParagraph(firstVisibleBlock()); }, Qt::QueuedConnection);
}

ReportMemo::AppendScope::AppendScope(ReportMemo& memo) : mMemo(memo) {
    ++mMemo.mScopes;
}

ReportMemo::AppendScope::~AppendScope() {
    if (--mMemo.mScopes == 0) {
        mMemo.Flush();
        mMemo.ShowEnd();
    }
}

} // namespace app
