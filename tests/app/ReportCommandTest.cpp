#include "FormTestSupport.h"
#include "RecordingMessageBox.h"
#include "app/ReportMemo.h"
#include "holiday/Exception.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <array>
#include <string>

namespace {

using holiday::GridCoord;

struct Rule {
    const char* Title;
    const char* Start;
    const char* Direction;
    const char* Offset;
};

// The legend's three example rules.
const std::array<Rule, 3> LegendRules{{
    {"Easter Monday", "Easter", "0", "+1"},
    {"Last Wednesday in November", "30.11", "-We", "0"},
    {"Third Sunday in March", "01.03", "+Su", "+14"},
}};

class ReportCommand : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        Form().SetLocaleSettings(rules::LocaleDateSettings::German());
    }
    void SetRule(int row, const Rule& rule) {
        Table().SetCell(0, row, rule.Title);
        Table().SetCell(1, row, rule.Start);
        Table().SetCell(2, row, rule.Direction);
        Table().SetCell(3, row, rule.Offset);
    }
    void SetLegendRules() {
        for (std::size_t i = 0; i < LegendRules.size(); ++i) {
            SetRule(static_cast<int>(i) + 1, LegendRules[i]);
        }
    }
    static QString Heading(int year) {
        return QString(17, u' ') + QStringLiteral("Year ") + QString::number(year);
    }
};

TEST_F(ReportCommand, WritesTheLegendRulesForEveryYear) {
    SetLegendRules();
    Form().Button3Click(nullptr);
    const QStringList lines = Form().Memo1->Lines();
    ASSERT_EQ(lines.size(), 11 * 4);
    // (day.month) of the three rules per year.
    const std::array<std::array<const char*, 3>, 11> expected{{
        {"28.03", "30.11", "20.03"},
        {"17.04", "29.11", "19.03"},
        {"09.04", "28.11", "18.03"},
        {"24.03", "26.11", "16.03"},
        {"13.04", "25.11", "15.03"},
        {"05.04", "24.11", "21.03"},
        {"25.04", "30.11", "20.03"},
        {"09.04", "28.11", "18.03"},
        {"01.04", "27.11", "17.03"},
        {"21.04", "26.11", "16.03"},
        {"06.04", "25.11", "15.03"},
    }};
    for (int y = 0; y < 11; ++y) {
        const int year = 2005 + y;
        const auto first = static_cast<qsizetype>(y * 4);
        EXPECT_EQ(lines[first], Heading(year));
        for (std::size_t rule = 0; rule < 3; ++rule) {
            const QString date = QString::fromUtf8(expected[static_cast<std::size_t>(y)][rule]) +
                                 u'.' + QString::number(year);
            EXPECT_EQ(lines[first + 1 + static_cast<qsizetype>(rule)],
                      date + QStringLiteral(": ") + QString::fromUtf8(LegendRules[rule].Title));
        }
    }
    EXPECT_EQ(Form().Memo1->toPlainText().back(), u'\n'); // each line ends with a line break
}

TEST_F(ReportCommand, EmptiesTheBoxFirstAndLeavesTheTableAlone) {
    Form().Memo1->AppendLine(QStringLiteral("typed by the user"));
    Table().SetCurrentCell({2, 3});
    Form().Button3Click(nullptr);
    Form().Button3Click(nullptr);
    EXPECT_EQ(Form().Memo1->Lines().size(), 11);
    EXPECT_EQ(Form().Memo1->Lines().front(), Heading(2005));
    EXPECT_EQ(Table().CurrentCell(), (GridCoord{2, 3}));
    EXPECT_EQ(Table().RowCount(), 5);
}

TEST_F(ReportCommand, AFaultyRuleStopsTheReportAndKeepsTheLinesBeforeIt) {
    RecordingMessageBox boxes;
    SetLegendRules();
    SetRule(4, {"Schalttag", "29.02", "0", "0"});
    Form().Button3->click();
    EXPECT_EQ(Form().Memo1->Lines(), (QStringList{Heading(2005), u"28.03.2005: Easter Monday"_qs,
                                                  u"30.11.2005: Last Wednesday in November"_qs,
                                                  u"20.03.2005: Third Sunday in March"_qs}));
    EXPECT_EQ(boxes.Texts(), QStringList{u"'29.02.2005' ist kein gültiges Datum."_qs});
}

TEST_F(ReportCommand, TheHandlerPassesTheErrorOn) {
    SetRule(1, {"Neu", "01.05", "", ""});
    EXPECT_THROW(Form().Button3Click(nullptr), holiday::EConvertError);
    EXPECT_EQ(Form().Memo1->Lines(), QStringList{Heading(2005)});
}

TEST_F(ReportCommand, FollowsTheDateSettingsOfTheLocale) {
    rules::LocaleDateSettings us; // "m/d/yy" with "/": every start date but Easter fails
    Form().SetLocaleSettings(us);
    SetRule(1, LegendRules[0]);
    Form().Button3Click(nullptr);
    EXPECT_EQ(Form().Memo1->Lines()[1], u"3/28/05: Easter Monday");
}

// A report goes into the box a few lines to a paragraph; the box must look and act as one
// that holds a paragraph per line.
class ReportMemoParagraphs : public testing::Test {
protected:
    static void SetUpTestSuite() { RegisterApplicationFonts(); }

    void SetUp() override {
        for (int i = 0; i < 100; ++i) {
            // Empty lines, long lines and lines at the seams of paragraphs.
            mLines.append(i % 7 == 3 ? QString()
                          : i % 5 == 1
                              ? QStringLiteral("%1: a title almost as wide as the box").arg(i)
                              : QStringLiteral("%1.04.2005: Easter Monday").arg(i));
        }
        for (ReportMemo* memo : {&mByLine, &mByReport}) {
            memo->setGeometry(0, 0, 282, 137);
            memo->show();
        }
        // What a report of a paragraph per line leaves: the text in one edit, then the end shown.
        QTextCursor(mByLine.document()).insertText(mLines.join(u'\n') + u'\n');
        mByLine.moveCursor(QTextCursor::End);
        const ReportMemo::AppendScope appending(mByReport);
        for (const QString& line : std::as_const(mLines)) {
            mByReport.AppendLine(line);
        }
    }
    // Where the line with the given number is shown in the box.
    QPoint LinePoint(ReportMemo& memo, int line) const {
        QTextCursor cursor(memo.document());
        for (int i = 0; i < line; ++i) {
            cursor.setPosition(cursor.position() + static_cast<int>(mLines[i].size()) + 1);
        }
        return memo.cursorRect(cursor).center() + QPoint(3, 0);
    }
    static void DragTo(ReportMemo& memo, QPoint pos) {
        QMouseEvent move(QEvent::MouseMove, pos, memo.viewport()->mapToGlobal(pos), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(memo.viewport(), &move);
    }

    QStringList mLines;
    ReportMemo mByLine;
    ReportMemo mByReport;
};

TEST_F(ReportMemoParagraphs, ShowsTheSameTextAndScrollsAlike) {
    EXPECT_LT(mByReport.blockCount(), mByLine.blockCount());
    EXPECT_EQ(mByReport.Lines(), mLines);
    EXPECT_EQ(mByReport.toPlainText(), mByLine.toPlainText());
    EXPECT_EQ(mByReport.verticalScrollBar()->maximum(), mByLine.verticalScrollBar()->maximum());
    for (const int value : {0, 17, 40}) { // the top, lines in the middle of paragraphs
        mByLine.verticalScrollBar()->setValue(value);
        mByReport.verticalScrollBar()->setValue(value);
        QCoreApplication::processEvents();
        EXPECT_EQ(mByReport.grab().toImage(), mByLine.grab().toImage()) << value;
    }
    // The same place reached by another way looks the same.
    const QImage at40 = mByReport.grab().toImage();
    for (const int value : {3, 0, 40}) {
        mByReport.verticalScrollBar()->setValue(value);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(mByReport.grab().toImage(), at40);
}

TEST_F(ReportMemoParagraphs, TheMouseSelectsAndCopiesLinesAlike) {
    for (const int line : {0, 15, 16, 22}) {
        for (ReportMemo* memo : {&mByLine, &mByReport}) {
            memo->verticalScrollBar()->setValue(0);
            QCoreApplication::processEvents();
            const QPoint at = LinePoint(*memo, line);
            QTest::mouseDClick(memo->viewport(), Qt::LeftButton, {}, at);
            QTest::mousePress(memo->viewport(), Qt::LeftButton, {}, at); // the third click
            DragTo(*memo, LinePoint(*memo, line + 4));
            QTest::mouseRelease(memo->viewport(), Qt::LeftButton, {}, LinePoint(*memo, line + 4));
        }
        EXPECT_EQ(mByReport.textCursor().selectedText(), mByLine.textCursor().selectedText())
            << line;
        mByLine.copy();
        const QString expected = QApplication::clipboard()->text();
        mByReport.copy();
        const QString copied = QApplication::clipboard()->text();
        EXPECT_EQ(copied, expected) << line;
        EXPECT_TRUE(copied.contains(mLines[line] + u'\n')) << line; // plain line breaks
    }
    EXPECT_EQ(mByReport.Lines(), mLines);
}

TEST_F(ReportMemoParagraphs, KeysEditAlike) {
    struct Case {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
    };
    const std::array<Case, 3> cases{{
        {Qt::Key_Return, Qt::NoModifier},
        {Qt::Key_Backspace, Qt::NoModifier},
        {Qt::Key_Delete, Qt::ControlModifier},
    }};
    for (const Case& key : cases) {
        for (const int line : {1, 20, 31}) {
            for (ReportMemo* memo : {&mByLine, &mByReport}) {
                QTextCursor cursor(memo->document());
                cursor.setPosition(
                    static_cast<int>(mLines[0].size() + 1)); // line 1, where it starts
                memo->setTextCursor(cursor);
                for (int i = 0; i < line - 1; ++i) {
                    QTest::keyClick(memo, Qt::Key_Down);
                }
                QTest::keyClicks(memo, QStringLiteral("x"));
                QTest::keyClick(memo, key.Key, key.Modifiers);
            }
            EXPECT_EQ(mByReport.toPlainText(), mByLine.toPlainText()) << key.Key << ' ' << line;
        }
    }
    EXPECT_EQ(mByReport.Lines(), mByLine.Lines());
}

} // namespace
