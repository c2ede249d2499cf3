#include "app/ReportMemo.h"

#include "app/ErrorDisplay.h"
#include "app/ReportLayout.h"
#include "app/ShownText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>

namespace app {

namespace {

// Lines per paragraph of a report: few enough that laying out or splitting one takes no time.
constexpr qsizetype LinesPerParagraph = 64;

} // namespace

ReportMemo::ReportMemo(QWidget* parent) : QPlainTextEdit(parent) {
    auto* text = new QTextDocument(this);
    text->setDocumentLayout(new ReportLayout(text));
    text->setDefaultFont(font());
    setDocument(text);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    // A report of a million lines would be kept twice in an undo history.
    setUndoRedoEnabled(false);
}

void ReportMemo::Clear() {
    mPendingText.clear();
    mPendingLines = 0;
    clear();
}

void ReportMemo::AppendLine(const QString& line) {
    StartPendingLine();
    mPendingText.append(line);
    EndPendingLine();
}

void ReportMemo::AppendReportLine(std::string_view lead, std::string_view title) {
    StartPendingLine();
    if (lead.size() + title.size() <= static_cast<std::size_t>(MaxLineLength)) {
        AppendUtf8(mPendingText, lead, title);
    } else {
        // Only the start shows, and MaxLineLength characters take at most four bytes each.
        std::string start(lead);
        start.append(title.substr(0, 4 * static_cast<std::size_t>(MaxLineLength)));
        mPendingText.append(ElidedLine(start, MaxLineLength));
    }
    EndPendingLine();
}

void ReportMemo::StartPendingLine() {
    if (mPendingLines > 0) {
        mPendingText.append(mPendingLines % LinesPerParagraph == 0 ? QChar::ParagraphSeparator
                                                                   : QChar::LineSeparator);
    }
}

void ReportMemo::EndPendingLine() {
    ++mPendingLines;
    if (mScopes == 0) {
        Flush();
        ShowEnd();
    }
}

void ReportMemo::Flush() {
    if (mPendingLines == 0) {
        return;
    }
    // The text always ends with the empty line after the last line break: the new lines go
    // there and it follows them.
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    const int firstBlock = end.blockNumber();
    end.beginEditBlock();
    mPendingText.append(QChar::ParagraphSeparator);
    end.insertText(mPendingText);
    // Until a paragraph is laid out the scroll bar counts its lines as set here: as many as a
    // paragraph per line would count.
    qsizetype left = mPendingLines;
    for (QTextBlock block = document()->findBlockByNumber(firstBlock); left > 0 && block.isValid();
         block = block.next()) {
        const qsizetype lines = std::min(left, LinesPerParagraph);
        block.setLineCount(static_cast<int>(lines));
        left -= lines;
    }
    end.endEditBlock();
    mPendingText.clear();
    mPendingLines = 0;
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
        RunGuarded(this, [&] { QPlainTextEdit::insertFromMimeData(source); });
    }
}

void ReportMemo::keyPressEvent(QKeyEvent* event) {
    RunGuarded(this, [&] {
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
    });
}

void ReportMemo::mousePressEvent(QMouseEvent* event) {
    RunGuarded(this, [&] {
        SplitParagraph(cursorForPosition(event->position().toPoint()).block());
        QPlainTextEdit::mousePressEvent(event);
    });
}

void ReportMemo::mouseMoveEvent(QMouseEvent* event) {
    RunGuarded(this, [&] {
        if (event->buttons() != Qt::NoButton) {
            SplitParagraph(cursorForPosition(event->position().toPoint()).block());
        }
        QPlainTextEdit::mouseMoveEvent(event);
    });
}

void ReportMemo::scrollContentsBy(int dx, int dy) {
    RunGuarded(this, [&] { QPlainTextEdit::scrollContentsBy(dx, dy); });
    // The box shows a paragraph scrolled to one of its later lines a pixel lower than one
    // scrolled to its first line. Before the box repaints, and not while it is still scrolling,
    // its top line gets a paragraph of its own, as in a box of one paragraph per line.
    QMetaObject::invokeMethod(this, Guarded(this, [this] { SplitParagraph(firstVisibleBlock()); }),
                              Qt::QueuedConnection);
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
