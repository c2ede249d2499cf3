#include "FormTestSupport.h"
#include "RecordingMessageBox.h"
#include "app/ReportMemo.h"
#include "holiday/Exception.h"

#include <QPushButton>
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

} // namespace
