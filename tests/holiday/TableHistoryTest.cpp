#include "holiday/TableHistory.h"

#include "TableTestSupport.h"
#include "holiday/CellBlockEdit.h"
#include "holiday/Exception.h"
#include "holiday/TabSeparatedText.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>

namespace holiday {
namespace {

// Everything undo restores: the view's widths are not among it.
testsupport::TableState State(const HolidayTable& t) {
    testsupport::TableState s = testsupport::Snapshot(t);
    s.Widths.clear();
    return s;
}

// Rows T0 .. T4 over columns 0 .. 6 of 8, texts hidden in column 7 and in row 6.
void Fill(HolidayTable& t) {
    t.SetColCount(7);
    t.SetRowCount(5);
    for (std::int32_t r = 0; r < 7; ++r) {
        for (std::int32_t c = 0; c < 8; ++c) {
            t.SetCell(c, r, "T" + std::to_string(r) + "." + std::to_string(c));
        }
    }
    t.SetCurrentCell({2, 3});
}

struct ChangeCase {
    const char* name;
    std::function<void(HolidayTable&)> change;
};

class TableHistoryChangeTest : public ::testing::TestWithParam<ChangeCase> {};

// Each kind of change, undone and redone: the table, hidden texts included, and the current
// cell read as before and after it, and twice over.
TEST_P(TableHistoryChangeTest, UndoAndRedoRestoreExactly) {
    HolidayTable t;
    Fill(t);
    TableHistory history(t);
    const auto before = State(t);
    {
        const TableHistory::Step step(history);
        GetParam().change(t);
    }
    const auto after = State(t);
    ASSERT_NE(before, after);
    ASSERT_TRUE(history.CanUndo());
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(history.Undo());
        EXPECT_EQ(State(t), before) << "round " << round;
        EXPECT_FALSE(history.CanUndo());
        ASSERT_TRUE(history.Redo());
        EXPECT_EQ(State(t), after) << "round " << round;
        EXPECT_FALSE(history.CanRedo());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TableHistoryChangeTest,
    ::testing::Values(
        ChangeCase{"TypingIntoOneCell",
                   [](HolidayTable& table) {
                       for (const char* text : {"E", "Ea", "Eas", ""}) {
                           table.SetCell(2, 3, text);
                       }
                   }},
        ChangeCase{"PasteGrowingOverHiddenTexts",
                   [](HolidayTable& table) {
                       PasteBlock(table, {5, 3}, TabSeparatedText("a\tb\tc\nd\n\"e\tf\"\n"));
                   }},
        ChangeCase{"EmptyBlock",
                   [](HolidayTable& table) {
                       EmptyBlock(table, {{1, 1}, {6, 4}});
                   }},
        ChangeCase{"FillBlock",
                   [](HolidayTable& table) {
                       FillBlock(table, {{1, 1}, {3, 2}}, "x");
                   }},
        ChangeCase{"DeleteMiddleRow", [](HolidayTable& table) { table.DeleteTableRow(1); }},
        ChangeCase{"DeleteLastRow", [](HolidayTable& table) { table.DeleteTableRow(4); }},
        ChangeCase{"DeleteRowDownToOneLowersFixedRows",
                   [](HolidayTable& table) {
                       table.DeleteTableRow(1);
                       table.DeleteTableRow(1);
                       table.DeleteTableRow(1);
                       table.DeleteTableRow(1);
                   }},
        ChangeCase{"DeleteHeaderRow",
                   [](HolidayTable& table) {
                       table.SetFixedRows(0);
                       table.DeleteTableRow(0);
                   }},
        ChangeCase{"DeleteAndAddColumns",
                   [](HolidayTable& table) {
                       table.SetColCount(5);
                       table.SetCell(6, 2, "written while hidden");
                       table.AddColumn();
                       table.AddRow();
                   }},
        ChangeCase{"ClearAndRows",
                   [](HolidayTable& table) {
                       table.Clear();
                       const std::string_view row[] = {"a", "", "c"};
                       table.SetRowCells(2, row);
                       table.AssignRow(1, 6);
                   }}),
    [](const ::testing::TestParamInfo<ChangeCase>& kind) { return kind.param.name; });

TEST(TableHistoryTest, StepsFollowOneAnother) {
    HolidayTable t;
    TableHistory history(t);
    const std::uint64_t edit = TableHistory::NewMergeKey();
    // One cell's keystrokes are one step; the next cell's are another.
    for (const char* text : {"a", "ab", "abc"}) {
        const TableHistory::Step step(history, edit);
        t.SetCell(0, 1, text);
    }
    {
        const TableHistory::Step step(history, TableHistory::NewMergeKey());
        t.SetCell(0, 2, "x");
    }
    EXPECT_EQ(history.StepCount(), 2u);
    ASSERT_TRUE(history.Undo());
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(t.GetCell(0, 1), "");
    EXPECT_EQ(t.CurrentCell(), (GridCoord{0, 1}));
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(t.GetCell(0, 1), "abc");

    // A step that changes nothing keeps the redo; one that changes something drops it.
    { const TableHistory::Step nothing(history); }
    EXPECT_TRUE(history.CanRedo());
    {
        const TableHistory::Step step(history);
        t.AddRow();
    }
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.StepCount(), 2u);

    // A cell typed back to its text is no step.
    {
        const TableHistory::Step step(history, TableHistory::NewMergeKey());
        t.SetCell(0, 1, "abcd");
        t.SetCell(0, 1, "abc");
    }
    ASSERT_TRUE(history.Undo()); // the added row
    EXPECT_EQ(t.RowCount(), 5);
    EXPECT_EQ(t.GetCell(0, 1), "abc");

    // The open command's reset voids the history.
    t.ResetForOpen();
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_FALSE(history.Undo());
}

TEST(TableHistoryTest, MemoryIsWhatChangedAndBounded) {
    HolidayTable t;
    t.SetRowCount(20'000);
    const std::string text(100, 'x');
    for (std::int32_t r = 0; r < 20'000; ++r) {
        t.SetCell(0, r, text);
        t.SetCell(1, r, text);
    }
    TableHistory history(t, 1 << 20);
    {
        const TableHistory::Step step(history);
        t.DeleteTableRow(3); // moves 20,000 rows, stores one
    }
    EXPECT_LT(history.Bytes(), 1000u);
    {
        const TableHistory::Step step(history);
        EmptyBlock(t, {{0, 0}, {1, 19'998}}); // 4 MB of texts, above the cap: kept alone
    }
    EXPECT_EQ(history.StepCount(), 1u);
    EXPECT_GT(history.Bytes(), 4'000'000u);
    EXPECT_LT(history.Bytes(), 4'400'000u);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(t.GetCell(1, 19'998), text);
    EXPECT_FALSE(history.CanUndo());
}

// --- The clipboard's text ----------------------------------------------------------------------

std::vector<std::vector<std::string>> Cells(const TabSeparatedText& text) {
    std::vector<std::vector<std::string>> rows;
    for (std::int32_t r = 0; r < text.RowCount(); ++r) {
        rows.emplace_back();
        for (std::int32_t c = 0; c < text.ColCount(); ++c) {
            rows.back().emplace_back(text.Cell(c, r));
        }
    }
    return rows;
}

using Rows = std::vector<std::vector<std::string>>;

TEST(TabSeparatedTextTest, ReadsWhatSpreadsheetsWrite) {
    const struct {
        const char* name;
        std::string text;
        Rows rows;
    } cases[] = {
        {"empty", "", {}},
        {"one cell, trailing newline", "Easter\n", {{"Easter"}}},
        {"one empty cell", "\n", {{""}}},
        {"CRLF and a ragged row", "a\tb\r\nc\r\n", {{"a", "b"}, {"c", ""}}},
        {"old line ends, no final break", "a\rb", {{"a"}, {"b"}}},
        {"empty cells", "\t\tx\n", {{"", "", "x"}}},
        {"tab at the very end", "a\t", {{"a", ""}}},
        {"quoted tab, newline, quotes",
         "\"a\tb\"\t\"l1\nl2\"\t\"say \"\"hi\"\"\"\n",
         {{"a\tb", "l1\nl2", "say \"hi\""}}},
        {"quotes inside an unquoted cell", "Sag \"hallo\"\tx\n", {{"Sag \"hallo\"", "x"}}},
        {"a quote that does not end the cell",
         "\"hallo\" sagt er\tx\n",
         {{"\"hallo\" sagt er", "x"}}},
        {"unclosed quote", "\"abc\tdef\n", {{"\"abc", "def"}}},
        {"separators dropped",
         std::string("a\0b\x01"
                     "c\td",
                     7),
         {{"abc", "d"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cells(TabSeparatedText(c.text)), c.rows) << c.name;
    }
}

std::string ReadData(const char* name) {
    std::ifstream in(std::string(MIREVO_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The exact bytes a spreadsheet program (LibreOffice Calc 7.4, Debian 12) put on the X
// clipboard for A1:C4: its plain text writes a tab or a line break inside a cell as a blank;
// its tab-separated form quotes such cells.
TEST(TabSeparatedTextTest, ReadsARecordedSpreadsheetCopy) {
    const Rows plain = {{"Titel", "Start", ""},
                        {"Mariä Himmelfahrt", "15.08", "#"},
                        {"Sag \"hallo\"", "a b", "Zeile1 Zeile2"},
                        {"x", "", "y"}};
    EXPECT_EQ(Cells(TabSeparatedText(ReadData("calc-copy-plain.txt"))), plain);
    Rows quoted = plain;
    quoted[2][1] = "a\tb";
    quoted[2][2] = "Zeile1\nZeile2";
    EXPECT_EQ(Cells(TabSeparatedText(ReadData("calc-copy-tsvc.txt"))), quoted);

    // Our copy of the same cells reads back as them, and its HTML keeps them.
    HolidayTable t;
    for (std::int32_t r = 0; r < 4; ++r) {
        for (std::int32_t c = 0; c < 3; ++c) {
            t.SetCell(c, r, quoted[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
        }
    }
    const CellRange block{{0, 0}, {2, 3}};
    const std::string copied = FormatTabSeparated(t, block);
    EXPECT_EQ(Cells(TabSeparatedText(copied)), quoted);
    EXPECT_EQ(copied.substr(0, 13), "Titel\tStart\t\n");
    const std::string html = FormatHtmlTable(t, block);
    EXPECT_NE(html.find("<td>Sag &quot;hallo&quot;</td><td>a\tb</td><td>Zeile1<br>Zeile2</td>"),
              std::string::npos);
    EXPECT_THROW((void)FormatTabSeparated(t, {{0, 0}, {1 << 14, 1 << 13}}), EInvalidGridOperation);
}

} // namespace
} // namespace holiday
