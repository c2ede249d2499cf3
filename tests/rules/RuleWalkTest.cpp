#include "rules/RuleWalk.h"

#include "holiday/HolidayTable.h"
#include "tests/support/LegendRules.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using holiday::HolidayTable;
using rules::CalendarDate;
using rules::RuleRow;

std::vector<std::int32_t> RowsOf(rules::RuleWalk& walk, std::int32_t year) {
    std::vector<std::int32_t> rows;
    walk.WalkYear(year, [&](const RuleRow& row, CalendarDate) { rows.push_back(row.Row); });
    return rows;
}

TEST(RuleWalk, ErrorsNameTheirCellAndKeepTheMessage) {
    struct Case {
        const char* Start;
        const char* Weekday;
        const char* Offset;
        std::int32_t Year;
        std::int32_t Col;
        const char* Message;
        std::vector<std::int32_t> FaultCols; // every faulty cell, as check lists them
    };
    const std::vector<Case> cases{
        {"31.04", "0", "+1", 2005, 1, "'31.04.2005' ist kein gültiges Datum", {1}},
        {"31.04", "0", "x", 2005, 1, "'31.04.2005' ist kein gültiges Datum", {1, 3}},
        {"30.11", "", "", 2009, 3, "'''' ist kein gültiger Integer-Wert", {3}},
        {"31.12", "+Mo", "0", 9999, 2, "Ungültiges Argument zum Codieren des Datums", {2}},
        {"31.12", "0", "+1", 9999, 3, "Ungültiges Argument zum Codieren des Datums", {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Start) + " " + c.Weekday + " " + c.Offset);
        HolidayTable table;
        table.SetRowCount(4);
        table.SetCell(1, 1, "Easter");
        table.SetCell(2, 1, "0");
        table.SetCell(3, 1, "0");
        table.SetCell(1, 3, c.Start);
        table.SetCell(2, 3, c.Weekday);
        table.SetCell(3, 3, c.Offset);
        rules::RuleWalk walk(table);
        std::vector<std::int32_t> seen;
        try {
            walk.WalkYear(c.Year,
                          [&](const RuleRow& row, CalendarDate) { seen.push_back(row.Row); });
            ADD_FAILURE() << "no error";
        } catch (const rules::ERuleError& error) {
            EXPECT_EQ(error.what(), std::string(c.Message));
            EXPECT_EQ(holiday::DisplayText(error), std::string(c.Message) + ".");
            EXPECT_EQ(error.Row(), 3);
            EXPECT_EQ(error.Col(), c.Col);
            EXPECT_EQ(error.Year(), c.Year);
        }
        EXPECT_EQ(seen, std::vector<std::int32_t>{1});
        std::vector<std::int32_t> faultCols;
        for (const rules::RuleFault& fault :
             rules::FaultsOf(walk.Rows()[1], rules::RuleYearOf(c.Year))) {
            faultCols.push_back(fault.Col);
        }
        EXPECT_EQ(faultCols, c.FaultCols);
    }
}

TEST(RuleWalk, SlicesStopsAndTheTableAsItStands) {
    HolidayTable table;
    testsupport::FillLegendRules(table); // rules in rows 1 to 3
    table.SetRowCount(6);
    table.SetCell(1, 5, "1.5");
    table.SetCell(2, 5, "0");
    table.SetCell(3, 5, "0");

    rules::RuleWalk slice(table, {2, 4});
    EXPECT_EQ(RowsOf(slice, 2009), (std::vector<std::int32_t>{2, 3}));

    rules::RuleWalk walk(table);
    std::vector<std::int32_t> rows;
    EXPECT_FALSE(walk.WalkYear(2009, [&](const RuleRow& row, CalendarDate) {
        rows.push_back(row.Row);
        return row.Row < 2;
    }));
    EXPECT_EQ(rows, (std::vector<std::int32_t>{1, 2}));

    // A visitor that changes the table sees the change in the same year: a rule added below,
    // a rule emptied, and a row added at the end.
    rows.clear();
    EXPECT_TRUE(walk.WalkYear(2009, [&](const RuleRow& row, CalendarDate date) {
        rows.push_back(row.Row);
        if (row.Row == 1) {
            table.SetCell(1, 4, "Easter");
            table.SetCell(2, 4, "0");
            table.SetCell(3, 4, "0");
            table.SetCell(1, 3, "");
        } else if (row.Row == 5) {
            EXPECT_EQ(date, CalendarDate::FromYmd(2009, 5, 1));
            table.SetRowCount(7);
            table.SetCell(1, 6, "Easter");
            table.SetCell(2, 6, "0");
            table.SetCell(3, 6, "0");
        }
    }));
    EXPECT_EQ(rows, (std::vector<std::int32_t>{1, 2, 4, 5, 6}));
}

} // namespace
