#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <string_view>

namespace app {

// The report box `Memo1`: an editable multi-line text box with a vertical scroll bar that is
// always shown, lines wrapped at the box's width, Return for a line break and Tab moving the
// focus on. Its text is a sequence of lines each ended by a line break, so a box that holds n
// lines shows them followed by one empty line where the caret waits.
//
// Lines appended in a scope are kept a few to a paragraph, separated by line separators (shown,
// copied and read like line breaks): a document of one paragraph per line takes seconds to
// fill with a million lines. A paragraph that the mouse or a key works in, or that the box is
// scrolled into, is first split into one paragraph per line, so the box shows, scrolls, selects
// and edits exactly as one with a paragraph per line.
//
// A paste while the clipboard holds no text does nothing.
class ReportMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    // Lines longer than this many UTF-16 code units are shortened for display by
    // AppendReportLine.
    static constexpr qsizetype MaxLineLength = 4096;

    explicit ReportMemo(QWidget* parent = nullptr);

    // Empties the box.
    void Clear();
    // Adds line and a line break at the end of the text, and shows the end; within a scope,
    // when the scope ends.
    void AppendLine(const QString& line);
    // Adds the line lead + title (UTF-8) like AppendLine; a line longer than MaxLineLength
    // shows its start followed by "…". Costs the characters shown, whatever the title's length.
    void AppendReportLine(std::string_view lead, std::string_view title = {});
    // The lines of the box's text: one per line break, and the text after the last line break
    // when it is not empty.
    [[nodiscard]] QStringList Lines() const;

    // While a scope lives, appended lines are collected; when the scope ends, also by an error,
    // they go into the text at once, the box lays out its text, updates its scroll bar and
    // shows the end.
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
    [[nodiscard]] bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void Flush();
    void ShowEnd();
    // Gives each line of paragraph a paragraph of its own.
    void SplitParagraph(const QTextBlock& paragraph);

    void StartPendingLine();
    void EndPendingLine();

    // The lines appended in the scope, not yet in the text: joined by line separators, with a
    // paragraph separator after every LinesPerParagraph lines.
    QString mPendingText;
    qsizetype mPendingLines = 0;
    int mScopes = 0;
};

} // namespace app
