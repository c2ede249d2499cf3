#include "FormTestSupport.h"
#include "RecordingMessageBox.h"
#include "app/ApplicationFonts.h"
#include "app/ReportMemo.h"
#include "holiday/Exception.h"
#include "tests/support/LegendRules.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <array>
#include <string>
#include <vector>

using namespace app;

namespace {

using holiday::GridCoord;

using Rule = testsupport::LegendRule;
using testsupport::LegendRules;

class ReportCommand : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        Form().SetLocaleSettings(rules::LocaleDateSettings::German());
    }
    void SetRule(int row, const Rule& rule) {
        Table().SetCell(0, row, rule.Title);
        Table().SetCell(1, row, rule.Start);
        Table().SetCell(2, row, rule.Weekday);
        Table().SetCell(3, row, rule.Offset);
    }
    void SetLegendRules() { testsupport::FillLegendRules(Table()); }
    std::vector<std::string> MemoLines() {
        std::vector<std::string> lines;
        for (const QString& line : Form().Memo1->Lines()) {
            lines.push_back(line.toStdString());
        }
        return lines;
    }
};

// The dates themselves are the report's; here the box gets every line.
TEST_F(ReportCommand, WritesTheLegendRulesForEveryYear) {
    SetLegendRules();
    Form().Button3Click(nullptr);
    EXPECT_EQ(MemoLines(), testsupport::LegendReport());
    EXPECT_EQ(Form().Memo1->toPlainText().back(), u'\n'); // each line ends with a line break
}

// Lines stand the window font's text height apart, within a paragraph of a report and from
// one paragraph to the next.
TEST_F(ReportCommand, LinesStandTheTextHeightApart) {
    ReportMemo& memo = *Form().Memo1;
    memo.Clear();
    {
        const ReportMemo::AppendScope scope(memo);
        for (int line = 0; line < 100; ++line) {
            memo.AppendLine(QString::number(line));
        }
    }
    QAbstractTextDocumentLayout* layout = memo.document()->documentLayout();
    std::vector<qreal> tops;
    qreal blockTop = 0;
    for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next()) {
        const QRectF rect = layout->blockBoundingRect(block);
        for (int i = 0; i < block.layout()->lineCount(); ++i) {
            tops.push_back(blockTop + block.layout()->lineAt(i).y());
        }
        blockTop += rect.height();
    }
    ASSERT_EQ(tops.size(), 101u); // and the empty line after the last line break
    for (std::size_t i = 1; i < tops.size(); ++i) {
        ASSERT_EQ(tops[i] - tops[i - 1], TextHeight(memo.font())) << "line " << i;
    }
}

TEST_F(ReportCommand, EmptiesTheBoxFirstAndLeavesTheTableAlone) {
    Form().Memo1->AppendLine(QStringLiteral("typed by the user"));
    Table().SetCurrentCell({2, 3});
    Form().Button3Click(nullptr);
    Form().Button3Click(nullptr);
    EXPECT_EQ(Form().Memo1->Lines().size(), 11);
    EXPECT_EQ(MemoLines().front(), testsupport::ReportHeading(2005));
    EXPECT_EQ(Table().CurrentCell(), (GridCoord{2, 3}));
    EXPECT_EQ(Table().RowCount(), 5);
}

TEST_F(ReportCommand, AFaultyRuleStopsTheReportAndKeepsTheLinesBeforeIt) {
    RecordingMessageBox boxes;
    SetLegendRules();
    SetRule(4, {"Schalttag", "29.02", "0", "0"});
    Form().Button3->click();
    EXPECT_EQ(MemoLines(), testsupport::LegendReport(2005, 2005));
    EXPECT_EQ(boxes.Texts(), QStringList{u"'29.02.2005' ist kein gültiges Datum."_qs});
}

TEST_F(ReportCommand, TheHandlerPassesTheErrorOn) {
    SetRule(1, {"Neu", "01.05", "", ""});
    EXPECT_THROW(Form().Button3Click(nullptr), holiday::EConvertError);
    EXPECT_EQ(MemoLines(), std::vector{testsupport::ReportHeading(2005)});
}

TEST_F(ReportCommand, FollowsTheDateSettingsOfTheLocale) {
    // "m/d/yy" with "/": dates are shown so, while start dates are still read as day.month.
    rules::LocaleDateSettings us;
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
