#include "app/ReportMemo.h"

#include <QTextBlock>
#include <QTextCursor>

ReportMemo::ReportMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    // A report of a million lines would be kept twice in an undo history.
    setUndoRedoEnabled(false);
}

void ReportMemo::Clear() {
    clear();
}

void ReportMemo::AppendLine(const QString& line) {
    // The text always ends with the empty line after the last line break: the new line goes
    // there and a new empty line follows it.
    if (mEnd.isNull() || mEnd.document() != document()) {
        mEnd = QTextCursor(document());
    }
    if (!mEnd.atEnd()) {
        mEnd.movePosition(QTextCursor::End);
    }
    mEnd.insertText(line + u'\n');
    if (mScopes == 0) {
        ShowEnd();
    }
}

void ReportMemo::ShowEnd() {
    QTextCursor caret = textCursor();
    caret.movePosition(QTextCursor::End);
    setTextCursor(caret);
}

QStringList ReportMemo::Lines() const {
    QStringList lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        lines.append(block.text());
    }
    // An empty last line is only the place after the last line break.
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

ReportMemo::AppendScope::AppendScope(ReportMemo& memo) : mMemo(memo) {
    if (mMemo.mScopes++ == 0) {
        QTextCursor(mMemo.document()).beginEditBlock();
    }
}

ReportMemo::AppendScope::~AppendScope() {
    if (--mMemo.mScopes == 0) {
        QTextCursor(mMemo.document()).endEditBlock();
        mMemo.ShowEnd();
    }
}
