#include "app/HelpWindow.h"

#include "app/WindowShortcuts.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <utility>
#include <vector>

namespace app {

namespace {

using Rows = std::vector<std::pair<QString, QString>>;

// A table of two columns; the texts are plain and escaped here.
QString Table(const Rows& rows) {
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");
    for (const auto& [left, right] : rows) {
        html +=
            QStringLiteral("<tr><td style=\"white-space: nowrap\"><b>%1</b></td><td>%2</td></tr>")
                .arg(left.toHtmlEscaped(), right.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}

QString Heading(const char* text) {
    return QStringLiteral("<h3>%1</h3>").arg(QString::fromUtf8(text));
}

QString Keys(QKeySequence::StandardKey key) {
    return KeysText(key);
}

QString Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return QKeySequence(QKeyCombination(modifiers, key)).toString(QKeySequence::NativeText);
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Mirevo Holiday Generator: help"));
    setModal(false);
    mText = new QTextBrowser(this);
    mText->setObjectName(QStringLiteral("HelpText"));
    mText->setOpenLinks(false);
    mText->setHtml(HelpHtml());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mText, 1);
    layout->addWidget(buttons);
    resize(620, 680);
}

QString HelpWindow::HelpHtml() {
    const QString moves = Key(Qt::Key_Up) + QStringLiteral(", ") + Key(Qt::Key_Down) +
                          QStringLiteral(", ") + Key(Qt::Key_Left) + QStringLiteral(", ") +
                          Key(Qt::Key_Right);
    const QString pages = Key(Qt::Key_PageUp) + QStringLiteral(", ") + Key(Qt::Key_PageDown);
    const QString homeEnd = Key(Qt::Key_Home) + QStringLiteral(", ") + Key(Qt::Key_End);
    const QString ctrlHomeEnd = Key(Qt::Key_Home, Qt::ControlModifier) + QStringLiteral(", ") +
                                Key(Qt::Key_End, Qt::ControlModifier);

    QString html;
    html += Heading("Rules");
    html += QStringLiteral(
        "<p>Row 0 is the header row. Every further row is one holiday rule: the start date, "
        "moved to a day of the week, then moved by an offset in days. \"test\" shows the date "
        "every rule gives in each of the years 2005 to 2015.</p>");
    html += Table({
        {QStringLiteral("Feast day / holiday title"),
         QStringLiteral("The title of the day, shown after its date.")},
        {QStringLiteral("Start Date (A)"),
         QStringLiteral("\"Easter\" for Easter Sunday of the year, or a day and a month joined "
                        "by a point, such as \"30.11\" or \"01.03\", read in the order of your "
                        "locale's dates. An empty start date: the row is no rule.")},
        {QStringLiteral("Direction & DayOfWeek (B)"),
         QStringLiteral("\"0\": the date stays. Otherwise the date moves to the nearest day of "
                        "the week named by \"Mo\", \"Tu\", \"We\", \"Th\", \"Fr\" or \"Sa\" "
                        "(none of them: Sunday), backward when the text holds a \"-\", else "
                        "forward; a date that already falls on that day stays. \"-We\": the "
                        "Wednesday on or before the date; \"+Su\": the Sunday on or after it.")},
        {QStringLiteral("Offset (C)"),
         QStringLiteral("Days added last, such as \"+1\", \"+14\" or \"-2\"; \"0\": none.")},
        {QStringLiteral("Column 4"), QStringLiteral("Kept and saved, read by nothing.")},
        {QStringLiteral("Columns 5 and on"),
         QStringLiteral("One per configuration (state or province): its name in the header "
                        "row, a mark in the row of each holiday it has.")},
    });
    html += QStringLiteral("<p>Examples: \"Easter\", \"0\", \"+1\" is Easter Monday; \"30.11\", "
                           "\"-We\", \"0\" the last Wednesday in November; \"01.03\", \"+Su\", "
                           "\"+14\" the third Sunday in March.</p>");
    html += Heading("Marks of the configuration columns");
    html += Table({
        {QStringLiteral("1"), QStringLiteral("only show the title")},
        {QStringLiteral("*"), QStringLiteral("show the day in Saturday's colour")},
        {QStringLiteral("#"), QStringLiteral("show the day in Sunday's colour")},
    });

    html += Heading("Window");
    html += Table({
        {KeysText(OpenKeys()), QStringLiteral("open hol file")},
        {KeysText(SaveKeys()), QStringLiteral("save hol file")},
        {KeysText(TestKeys()), QStringLiteral("test")},
        {KeysText(HelpKeys()), QStringLiteral("this help")},
        {Key(Qt::Key_Tab) + QStringLiteral(", ") + Key(Qt::Key_Tab, Qt::ShiftModifier),
         QStringLiteral("the next or the previous control")},
    });
    html += Heading("Grid");
    html += Table({
        {moves, QStringLiteral("the next cell")},
        {pages, QStringLiteral("a page up or down")},
        {homeEnd, QStringLiteral("the first or the last cell of the row")},
        {ctrlHomeEnd, QStringLiteral("the first or the last cell of the table")},
        {QStringLiteral("Shift+") + moves,
         QStringLiteral("select a block of cells from the current cell")},
        {Key(Qt::Key_Return),
         QStringLiteral("to the next cell to the right (down when \"On Return keypress: "
                        "down\" is ticked) and edit it")},
        {Key(Qt::Key_F2), QStringLiteral("edit the current cell, the caret after its text")},
        {QStringLiteral("a character, ") + Key(Qt::Key_Backspace),
         QStringLiteral("replace the current cell's text")},
        {Keys(QKeySequence::Copy), QStringLiteral("copy the selected cells")},
        {Keys(QKeySequence::Cut), QStringLiteral("cut the selected cells")},
        {Keys(QKeySequence::Paste),
         QStringLiteral("paste cells (tab-separated, as spreadsheets copy them)")},
        {Key(Qt::Key_Delete), QStringLiteral("empty the selected cells")},
        {Keys(QKeySequence::Undo), QStringLiteral("undo the last change of the table")},
        {Keys(QKeySequence::Redo), QStringLiteral("redo it")},
    });
    html += Heading("Cell editor");
    html += Table({
        {Key(Qt::Key_Left) + QStringLiteral(", ") + Key(Qt::Key_Right) + QStringLiteral(", ") +
             homeEnd,
         QStringLiteral("move the caret")},
        {Key(Qt::Key_Up) + QStringLiteral(", ") + Key(Qt::Key_Down) + QStringLiteral(", ") + pages,
         QStringLiteral("end editing and move to another cell")},
        {Key(Qt::Key_Return), QStringLiteral("end editing, as in the grid")},
        {Keys(QKeySequence::SelectAll), QStringLiteral("select the whole text")},
        {Keys(QKeySequence::Copy) + QStringLiteral(", ") + Keys(QKeySequence::Cut) +
             QStringLiteral(", ") + Keys(QKeySequence::Paste),
         QStringLiteral("copy, cut, paste within the cell")},
        {Keys(QKeySequence::Undo) + QStringLiteral(", ") + Keys(QKeySequence::Redo),
         QStringLiteral("undo, redo the edits of this cell")},
    });
    html += QStringLiteral("<p>Every edit is in the cell at once; Escape does not take it "
                           "back.</p>");
    return html;
}

} // namespace app
