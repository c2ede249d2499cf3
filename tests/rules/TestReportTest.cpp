#include "rules/TestReport.h"

#include "ConvertErrorMatcher.h"
#include "holiday/Exception.h"
#include "holiday/HolidayTable.h"
#include "holiday/WorkProgress.h"
#include "tests/support/LegendRules.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using holiday::HolidayTable;
using rules::LocaleDateSettings;
using rules::test::ExpectConvertError;

using testsupport::FillLegendRules;
using testsupport::LegendReport;
using Rule = testsupport::LegendRule;

void FillRules(HolidayTable& table, const std::vector<Rule>& rules) {
    table.SetRowCount(static_cast<std::int32_t>(rules.size()) + 1);
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const auto row = static_cast<std::int32_t>(i) + 1;
        table.SetCell(0, row, rules[i].Title);
        table.SetCell(1, row, rules[i].Start);
        table.SetCell(2, row, rules[i].Weekday);
        table.SetCell(3, row, rules[i].Offset);
    }
}

using testsupport::ReportHeading;

std::vector<std::string> Report(const HolidayTable& table, const LocaleDateSettings& settings,
                                std::int32_t first = rules::FirstReportYear,
                                std::int32_t last = rules::LastReportYear) {
    std::vector<std::string> lines;
    rules::BuildTestReport(
        table, settings,
        [&lines](std::string_view lead, std::string_view title) {
            lines.push_back(std::string(lead).append(title));
        },
        first, last);
    return lines;
}

// The one place that checks every date of the legend rules over the report years.
TEST(BuildTestReport, TheLegendRulesOverTheReportYears) {
    HolidayTable table;
    FillLegendRules(table);
    table.SetCell(5, 1, "1"); // configuration marks are never read
    EXPECT_EQ(Report(table, LocaleDateSettings::German()), LegendReport());
}

TEST(BuildTestReport, DatesAreWrittenInTheUserFormatButReadInTheFileNotation) {
    HolidayTable table;
    FillLegendRules(table);
    LocaleDateSettings us; // "m/d/yy", "/"
    us.ShortDateFormat = std::string("mm/dd/yyyy");
    const std::vector<std::string> lines = Report(table, us, 2009, 2009);
    EXPECT_EQ(lines, (std::vector<std::string>{ReportHeading(2009), "04/13/2009: Easter Monday",
                                               "11/25/2009: Last Wednesday in November",
                                               "03/15/2009: Third Sunday in March"}));
}

TEST(BuildTestReport, OnlyHeadingsWithoutRules) {
    std::vector<std::string> headings;
    for (int year = 2005; year <= 2015; ++year) {
        headings.push_back(ReportHeading(year));
    }

    HolidayTable headerOnly;
    headerOnly.SetRowCount(1);
    headerOnly.SetCell(1, 1, "Easter"); // hidden below the extent: not a rule
    EXPECT_EQ(Report(headerOnly, LocaleDateSettings::German()), headings);

    HolidayTable emptyStarts;
    emptyStarts.SetCell(0, 0, "title"); // the header row is never evaluated
    emptyStarts.SetCell(1, 0, "not a date");
    emptyStarts.SetCell(0, 2, "no start date");
    emptyStarts.SetCell(3, 2, "bad offset that is never read");
    EXPECT_EQ(Report(emptyStarts, LocaleDateSettings::German()), headings);
}

TEST(BuildTestReport, SkipsEmptyRowsAndKeepsEmptyTitles) {
    HolidayTable table;
    FillRules(table, {{"", "24.12", "0", "0"}, {"gap", "", "0", "0"}, {"X", "Easter", "0", "0"}});
    EXPECT_EQ(Report(table, LocaleDateSettings::German(), 2009, 2010),
              (std::vector<std::string>{ReportHeading(2009), "24.12.2009: ", "12.04.2009: X",
                                        ReportHeading(2010), "24.12.2010: ", "04.04.2010: X"}));
}

TEST(BuildTestReport, AFailureIn2007KeepsTheLinesBeforeIt) {
    HolidayTable table;
    FillLegendRules(table);
    std::vector<std::string> lines;
    // The second rule turns faulty when the report reaches 2007.
    const auto sink = [&](std::string_view lead, std::string_view title) {
        lines.push_back(std::string(lead).append(title));
        if (lines.back() == ReportHeading(2007)) {
            table.SetCell(1, 2, "31.04");
        }
    };
    ExpectConvertError([&] { rules::BuildTestReport(table, LocaleDateSettings::German(), sink); },
                       "'31.04.2007' ist kein gültiges Datum");
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], ReportHeading(2005));
    EXPECT_EQ(lines[4], ReportHeading(2006));
    EXPECT_EQ(lines[7], "19.03.2006: Third Sunday in March");
    EXPECT_EQ(lines[8], ReportHeading(2007));
    EXPECT_EQ(lines[9], "09.04.2007: Easter Monday");
}

TEST(BuildTestReport, TheStartDateErrorWinsAndLaterRowsAreNotRead) {
    HolidayTable table;
    FillLegendRules(table);
    table.SetCell(1, 2, "31.04");
    table.SetCell(3, 2, "");
    table.SetCell(1, 3, "also faulty");
    std::vector<std::string> lines;
    const auto sink = [&lines](std::string_view lead, std::string_view title) {
        lines.push_back(std::string(lead).append(title));
    };
    ExpectConvertError([&] { rules::BuildTestReport(table, LocaleDateSettings::German(), sink); },
                       "'31.04.2005' ist kein gültiges Datum");
    EXPECT_EQ(lines, (std::vector<std::string>{ReportHeading(2005), "28.03.2005: Easter Monday"}));

    // A new row with only a start date: forward to a Sunday, then the empty offset fails.
    table.SetCell(1, 2, "30.11");
    table.SetCell(2, 2, "");
    ExpectConvertError([&] { rules::BuildTestReport(table, LocaleDateSettings::German(), sink); },
                       "'''' ist kein gültiger Integer-Wert");
}

TEST(BuildTestReport, EvaluatesRowsBeyond65536) {
    HolidayTable table;
    table.SetRowCount(70'000);
    table.SetCell(0, 69'999, "late");
    table.SetCell(1, 69'999, "1.5");
    table.SetCell(2, 69'999, "0");
    table.SetCell(3, 69'999, "0");
    const std::vector<std::string> lines = Report(table, LocaleDateSettings::German(), 2009, 2009);
    EXPECT_EQ(lines, (std::vector<std::string>{ReportHeading(2009), "01.05.2009: late"}));
}

TEST(BuildTestReport, RejectsYearsOutsideTheCalendar) {
    HolidayTable table;
    int calls = 0;
    const auto sink = [&calls](std::string_view, std::string_view) { ++calls; };
    for (const auto& [first, last] :
         {std::pair{0, 2005}, std::pair{2005, 10'000}, std::pair{-1, 5}, std::pair{70'000, 1}}) {
        EXPECT_THROW(rules::BuildTestReport(table, LocaleDateSettings::German(), sink, first, last),
                     std::out_of_range);
    }
    EXPECT_EQ(calls, 0);
    rules::BuildTestReport(table, LocaleDateSettings::German(), sink, 9999, 9999);
    EXPECT_EQ(calls, 1);
}

// The progress of a report only moves forward and ends at its total, reading the rules
// included; a stop asked for at a call ends the report there, with the lines before it.
TEST(BuildTestReport, ProgressMovesForwardAndStopsTheReport) {
    class Recorder final : public holiday::WorkProgress {
    public:
        explicit Recorder(int stopAt) : mStopAt(stopAt) {}
        [[nodiscard]] bool Advance(std::int64_t done, std::int64_t total) override {
            EXPECT_GE(done, mDone);
            EXPECT_LE(done, total);
            EXPECT_TRUE(mTotal == 0 || mTotal == total);
            mDone = done;
            mTotal = total;
            return ++mCalls != mStopAt;
        }
        std::int64_t mDone = 0;
        std::int64_t mTotal = 0;
        int mCalls = 0;

    private:
        int mStopAt;
    };
    HolidayTable table;
    FillRules(table, std::vector<Rule>(20'000, Rule{"r", "Easter", "0", "+1"}));
    for (const int stopAt : {0, 3, 30}) {
        SCOPED_TRACE(stopAt);
        Recorder progress(stopAt);
        std::size_t lines = 0;
        const auto run = [&] {
            rules::BuildTestReport(
                table, LocaleDateSettings::German(),
                [&lines](std::string_view, std::string_view) { ++lines; }, 2005, 2006, &progress);
        };
        if (stopAt == 0) {
            run();
            EXPECT_EQ(progress.mDone, progress.mTotal);
            EXPECT_EQ(lines, 2 * 20'001U);
        } else {
            EXPECT_THROW(run(), holiday::EAbort);
            EXPECT_EQ(progress.mCalls, stopAt);
            EXPECT_LT(lines, 2 * 20'001U);
        }
    }
}

} // namespace
