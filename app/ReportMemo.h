#pragma once

#include <QPlainTextEdit>
#include <QTextCursor>

// The report box `Memo1`: an editable multi-line text box with a vertical scroll bar that is
// always shown, lines wrapped at the box's width, Return for a line break and Tab moving the
// focus on. Its text is a sequence of lines each ended by a line break, so a box that holds n
// lines shows them followed by one empty line where the caret waits.
class ReportMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ReportMemo(QWidget* parent = nullptr);

    // Empties the box.
    void Clear();
    // Adds line and a line break at the end of the text at once, and shows the end.
    void AppendLine(const QString& line);
    // The lines of the box's text: one per line break, and the text after the last line break
    // when it is not empty.
    [[nodiscard]] QStringList Lines() const;

    // While a scope lives, every appended line is in the text at once, but the box lays out
    // its text, updates its scroll bar and shows the end only when the scope ends, also when it
    // ends by an error.
    class AppendScope {
    public:
        explicit AppendScope(ReportMemo& memo);
        ~AppendScope();
        AppendScope(const AppendScope&) = delete;
        AppendScope& operator=(const AppendScope&) = delete;

    private:
        ReportMemo& mMemo;
    };

private:
    void ShowEnd();

    QTextCursor mEnd; // kept at the end of the text between appends
    int mScopes = 0;
};
