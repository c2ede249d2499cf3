#include "FormTestSupport.h"
#include "RecordingMessageBox.h"
#include "app/ApplicationFonts.h"
#include "app/ReportMemo.h"
#include "app/ShownText.h"
#include "holiday/Exception.h"
#include "tests/support/LegendRules.h"

#include <QAccessible>
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
    EXPECT_EQ(Form().Memo1->Text().back(), u'\n'); // each line ends with a line break
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

// The box as the user meets it: keys, mouse, clipboard, wrapping and the end shown.
class ReportMemoView : public testing::Test {
protected:
    static void SetUpTestSuite() { RegisterApplicationFonts(); }

    void SetUp() override {
        mMemo.setGeometry(0, 0, 282, 137);
        mMemo.show();
        const ReportMemo::AppendScope appending(mMemo);
        for (int i = 0; i < 100; ++i) {
            mMemo.AppendLine(i % 7 == 3 ? QString() : QStringLiteral("%1.04.2005: Ostern").arg(i));
        }
        QCoreApplication::processEvents();
    }
    [[nodiscard]] QString Line(std::int64_t line) const {
        return FromUtf8(mMemo.Store().Line(line));
    }

    ReportMemo mMemo;
};

// Lines stand the window font's text height apart, also far down a long report.
TEST_F(ReportMemoView, LinesStandTheTextHeightApart) {
    for (const std::int64_t top : {0, 50, 90}) {
        mMemo.verticalScrollBar()->setValue(static_cast<int>(top));
        const int y = mMemo.PlaceRect({top, 0}).y();
        EXPECT_EQ(mMemo.PlaceRect({top + 1, 0}).y() - y, TextHeight(mMemo.font())) << top;
    }
}

TEST_F(ReportMemoView, KeysMoveSelectAndEdit) {
    struct Case {
        const char* Name;
        std::vector<std::pair<int, Qt::KeyboardModifiers>> Keys;
        const char* Text; // typed after the keys
        std::int64_t Line;
        const char* Expected; // that line afterwards
    };
    const std::vector<Case> cases = {
        {"type at the start", {{Qt::Key_Home, {}}}, "x", 1, "x1.04.2005: Ostern"},
        {"End, then type", {{Qt::Key_End, {}}}, "!", 1, "1.04.2005: Ostern!"},
        {"Backspace joins lines",
         {{Qt::Key_Home, {}}, {Qt::Key_Backspace, {}}},
         "",
         0,
         "0.04.2005: Ostern1.04.2005: Ostern"},
        {"Delete at the end joins",
         {{Qt::Key_End, {}}, {Qt::Key_Delete, {}}},
         "",
         1,
         "1.04.2005: Ostern2.04.2005: Ostern"},
        {"Return splits", {{Qt::Key_Right, {}}, {Qt::Key_Return, {}}}, "", 2, ".04.2005: Ostern"},
        {"Shift+End selects, typing replaces",
         {{Qt::Key_Right, {}}, {Qt::Key_End, Qt::ShiftModifier}},
         "y",
         1,
         "1y"},
        {"Down keeps the column",
         {{Qt::Key_Right, {}}, {Qt::Key_Down, {}}},
         "z",
         2,
         "2z.04.2005: Ostern"},
        {"Ctrl+Delete deletes the word", {{Qt::Key_Delete, Qt::ControlModifier}}, "", 1, "Ostern"},
    };
    for (const Case& c : cases) {
        ReportMemo memo;
        memo.setGeometry(0, 0, 282, 137);
        memo.show();
        for (const char* line : {"0.04.2005: Ostern", "1.04.2005: Ostern", "2.04.2005: Ostern"}) {
            memo.AppendLine(QString::fromUtf8(line));
        }
        memo.SetCaret({1, 0});
        for (const auto& [key, mods] : c.Keys) {
            QTest::keyClick(&memo, static_cast<Qt::Key>(key), mods);
        }
        QTest::keyClicks(&memo, QString::fromUtf8(c.Text));
        EXPECT_EQ(FromUtf8(memo.Store().Line(c.Line)), QString::fromUtf8(c.Expected)) << c.Name;
    }
}

TEST_F(ReportMemoView, TheMouseSelectsAndCopiesAsText) {
    mMemo.verticalScrollBar()->setValue(10);
    QCoreApplication::processEvents();
    mMemo.SetCaret({12, 0});
    const QPoint from = mMemo.CaretRect().center() + QPoint(1, 0);
    mMemo.SetCaret({14, 0});
    const QPoint to = mMemo.CaretRect().center() + QPoint(1, 0);
    QTest::mousePress(mMemo.viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, mMemo.viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(mMemo.viewport(), &move);
    QTest::mouseRelease(mMemo.viewport(), Qt::LeftButton, {}, to);
    QTest::keyClick(&mMemo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), Line(12) + u'\n' + Line(13) + u'\n');

    // A paste puts it back; a paste from an empty clipboard does nothing.
    QTest::keyClick(&mMemo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Line(14), u"14.04.2005: Ostern");
    QApplication::clipboard()->clear();
    const QString before = mMemo.Text();
    QTest::keyClick(&mMemo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(mMemo.Text(), before);

    QTest::keyClick(&mMemo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&mMemo, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(mMemo.Text(), QString());
    EXPECT_EQ(QApplication::clipboard()->text(), before);
}

TEST_F(ReportMemoView, WrapsAtTheWidthShowsTheEndAndPassesTab) {
    // The end shows: the scroll bar at its end, the caret after the last line break.
    EXPECT_EQ(mMemo.verticalScrollBar()->value(), mMemo.verticalScrollBar()->maximum());
    EXPECT_EQ(mMemo.Caret(), mMemo.Store().End());
    const QRect end = mMemo.CaretRect();
    EXPECT_TRUE(mMemo.viewport()->rect().contains(end)) << end.y();

    // A line wider than the box takes several rows; End goes to the end of the first row.
    mMemo.Clear();
    mMemo.AppendLine(QString(20, u'w').append(u' ').repeated(8));
    mMemo.SetCaret({0, 0});
    QTest::keyClick(&mMemo, Qt::Key_End);
    EXPECT_GT(mMemo.Caret().Byte, 0u);
    EXPECT_LT(mMemo.Caret().Byte, 168u);
    const int firstRow = mMemo.CaretRect().y();
    QTest::keyClick(&mMemo, Qt::Key_Down);
    EXPECT_EQ(mMemo.CaretRect().y(), firstRow + TextHeight(mMemo.font()));
    EXPECT_EQ(mMemo.Caret().Line, 0);

    QWidget next;
    QWidget::setTabOrder(&mMemo, &next);
    mMemo.setFocus();
    QTest::keyClick(&mMemo, Qt::Key_Tab);
    EXPECT_EQ(mMemo.Text(), QString(20, u'w').append(u' ').repeated(8) + u'\n');
}

TEST_F(ReportMemoView, TheAccessibleTextIsTheLinesAroundTheCaret) {
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(&mMemo);
    ASSERT_NE(box, nullptr);
    QAccessibleTextInterface* text = box->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), mMemo.Text().size()); // a short report whole
    EXPECT_EQ(text->cursorPosition(), text->characterCount());
    text->setCursorPosition(0);
    EXPECT_EQ(mMemo.Caret(), (ReportPos{0, 0}));
    box->editableTextInterface()->insertText(2, QStringLiteral("x"));
    EXPECT_EQ(Line(0), u"0.x04.2005: Ostern");
    EXPECT_EQ(text->text(0, 4), u"0.x0");
}

} // namespace
