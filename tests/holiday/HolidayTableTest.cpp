#include "TableTestSupport.h"
#include "holiday/Exception.h"

#include <functional>
#include <gtest/gtest.h>

namespace holiday {
namespace {

using test::Column0;
using test::RecordingObserver;
using test::Snapshot;
using Strings = std::vector<std::string>;

// A table whose rows read T0 .. T{n-1} in column 0 and "x<r>" in column 1.
void FillRows(HolidayTable& t, std::int32_t n) {
    t.SetRowCount(n);
    for (std::int32_t r = 0; r < n; ++r) {
        t.SetCell(0, r, "T" + std::to_string(r));
        t.SetCell(1, r, "x" + std::to_string(r));
    }
}

TEST(HolidayTableTest, StartsAsTheWindowCreatesIt) {
    const HolidayTable t;
    EXPECT_EQ(t.ColCount(), 6);
    EXPECT_EQ(t.RowCount(), 5);
    EXPECT_EQ(t.FixedCols(), 0);
    EXPECT_EQ(t.FixedRows(), 1);
    EXPECT_EQ(t.CurrentCell(), (GridCoord{0, 1}));
    EXPECT_EQ(t.Anchor(), (GridCoord{0, 1}));
    EXPECT_EQ(t.TopLeft(), (GridCoord{0, 1}));
    EXPECT_TRUE(t.Cells().Empty());
    EXPECT_EQ(t.ColWidth(5), 64);
    EXPECT_EQ(t.RowHeight(4), 17);
}

struct CountCase {
    const char* name;
    std::function<void(HolidayTable&)> setup;
    std::function<void(HolidayTable&)> act;
    std::int32_t cols, rows, fixedCols, fixedRows;
    GridCoord current;
};

class CountSetterTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountSetterTest, ClampsAndKeepsTheInvariants) {
    const CountCase& c = GetParam();
    HolidayTable t;
    c.setup(t);
    c.act(t);
    EXPECT_EQ(t.ColCount(), c.cols);
    EXPECT_EQ(t.RowCount(), c.rows);
    EXPECT_EQ(t.FixedCols(), c.fixedCols);
    EXPECT_EQ(t.FixedRows(), c.fixedRows);
    EXPECT_EQ(t.CurrentCell(), c.current);
    EXPECT_EQ(t.Anchor(), t.CurrentCell());
}

const auto none = [](HolidayTable&) {};

template <typename Case> std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

std::vector<CountCase> CountCases() {
    return {CountCase{"NegativeRowsGiveOneRowAndNoFixedRow",
                      none,
                      [](HolidayTable& t) { t.SetRowCount(-3); },
                      6,
                      1,
                      0,
                      0,
                      {0, 0}},
            CountCase{"ZeroOnOneColumnChangesNothing",
                      [](HolidayTable& t) { t.SetColCount(1); },
                      [](HolidayTable& t) { t.SetColCount(0); },
                      1,
                      5,
                      0,
                      1,
                      {0, 1}},
            CountCase{"ShrinkBelowFixedColsLowersThem",
                      [](HolidayTable& t) {
                          t.SetFixedCols(3);
                          t.SetCurrentCell({5, 4});
                      },
                      [](HolidayTable& t) { t.SetColCount(3); },
                      3,
                      5,
                      2,
                      1,
                      {2, 1}},
            CountCase{"ShrinkClampsTheCurrentCell",
                      [](HolidayTable& t) {
                          t.SetCurrentCell({5, 4});
                      },
                      [](HolidayTable& t) {
                          t.SetColCount(4);
                          t.SetRowCount(3);
                      },
                      4,
                      3,
                      0,
                      1,
                      {3, 2}},
            CountCase{"GrowingLeavesTheCurrentCell",
                      [](HolidayTable& t) {
                          t.SetCurrentCell({2, 3});
                      },
                      [](HolidayTable& t) {
                          t.AddColumn();
                          t.AddRow();
                      },
                      7,
                      6,
                      0,
                      1,
                      {2, 3}},
            CountCase{"FixedColsToTheSameValueLeavesTheCurrentCell",
                      [](HolidayTable& t) {
                          t.SetCurrentCell({4, 3});
                      },
                      [](HolidayTable& t) { t.SetFixedCols(0); },
                      6,
                      5,
                      0,
                      1,
                      {4, 3}},
            CountCase{"FixedColsMovesTheCurrentCellToTheFirstFreeCell",
                      [](HolidayTable& t) {
                          t.SetCurrentCell({5, 4});
                      },
                      [](HolidayTable& t) { t.SetFixedCols(1); },
                      6,
                      5,
                      1,
                      1,
                      {1, 1}},
            CountCase{"FixedRowsZeroMovesUp",
                      [](HolidayTable& t) {
                          t.SetCurrentCell({5, 4});
                      },
                      [](HolidayTable& t) { t.SetFixedRows(0); },
                      6,
                      5,
                      0,
                      0,
                      {0, 0}},
            CountCase{"MaximalColumnCountIsAllowed",
                      none,
                      [](HolidayTable& t) { t.SetColCount(HolidayTable::MaxCount); },
                      HolidayTable::MaxCount,
                      5,
                      0,
                      1,
                      {0, 1}},
            CountCase{"RowsPassTheLimitWhileNoHeightChanged",
                      none,
                      [](HolidayTable& t) { t.SetRowCount(HolidayTable::MaxCount + 1); },
                      6,
                      HolidayTable::MaxCount + 1,
                      0,
                      1,
                      {0, 1}}};
}

INSTANTIATE_TEST_SUITE_P(Cases, CountSetterTest, ::testing::ValuesIn(CountCases()),
                         CaseName<CountCase>);

struct FailureCase {
    const char* name;
    std::function<void(HolidayTable&)> setup;
    std::function<void(HolidayTable&)> act;
    const char* message;
};

class FailingOperationTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailingOperationTest, ThrowsAndLeavesTheTableAsItWas) {
    const FailureCase& c = GetParam();
    HolidayTable t;
    t.SetCell(0, 0, "head");
    t.SetCell(6, 1, "hidden");
    c.setup(t);
    const auto before = Snapshot(t);
    RecordingObserver observer;
    t.AddObserver(&observer);
    try {
        c.act(t);
        FAIL() << "no error";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(Snapshot(t), before);
    EXPECT_EQ(t.GetCell(6, 1), "hidden");
    EXPECT_TRUE(observer.events.empty());
    t.RemoveObserver(&observer);
}

std::vector<FailureCase> FailureCases() {
    return {
        FailureCase{"FixedRowsOnOneRow", [](HolidayTable& t) { t.SetRowCount(1); },
                    [](HolidayTable& t) { t.SetFixedRows(1); },
                    "Die Anzahl fester Zeilen muss kleiner als die Zeilenanzahl sein"},
        FailureCase{"FixedColsOnOneColumn", [](HolidayTable& t) { t.SetColCount(1); },
                    [](HolidayTable& t) { t.SetFixedCols(1); },
                    "Die Anzahl fester Spalten muss kleiner als die Spaltenanzahl sein"},
        FailureCase{"NegativeFixedCols", none, [](HolidayTable& t) { t.SetFixedCols(-1); },
                    "Gitterindex außerhalb des zulässigen Bereichs"},
        FailureCase{"NegativeFixedRows", none, [](HolidayTable& t) { t.SetFixedRows(-1); },
                    "Gitterindex außerhalb des zulässigen Bereichs"},
        FailureCase{"TooManyColumns", none,
                    [](HolidayTable& t) { t.SetColCount(HolidayTable::MaxCount + 1); },
                    "Gitter zu groß für Operation"},
        FailureCase{"TooManyRowsAfterAHeightChange",
                    [](HolidayTable& t) {
                        t.SetRowHeight(2, 30);
                        t.SetRowHeight(2, 17);
                    },
                    [](HolidayTable& t) { t.SetRowCount(HolidayTable::MaxCount + 1); },
                    "Gitter zu groß für Operation"},
        FailureCase{"NegativeCellPosition", none, [](HolidayTable& t) { t.SetCell(0, -1, "x"); },
                    "Gitterindex außerhalb des zulässigen Bereichs"},
        FailureCase{"WidthOutsideTheExtent", none, [](HolidayTable& t) { t.SetColWidth(6, 10); },
                    "Gitterindex außerhalb des zulässigen Bereichs"}};
}

INSTANTIATE_TEST_SUITE_P(Cases, FailingOperationTest, ::testing::ValuesIn(FailureCases()),
                         CaseName<FailureCase>);

TEST(HolidayTableTest, ShrinkingHidesTextsAndGrowingShowsThemAtDefaultWidth) {
    HolidayTable t;
    t.SetColCount(8);
    t.SetCell(6, 2, "six");
    t.SetCell(7, 3, "seven");
    t.SetColWidth(6, 120);
    t.SetColWidth(2, 90);
    t.SetColCount(6);
    EXPECT_EQ(t.ColWidths().Sum(0, 6), 64 * 5 + 90);
    t.SetColCount(8);
    EXPECT_EQ(t.GetCell(6, 2), "six");
    EXPECT_EQ(t.GetCell(7, 3), "seven");
    EXPECT_EQ(t.ColWidth(6), 64);
    EXPECT_EQ(t.ColWidth(2), 90);

    t.SetRowHeight(4, 40);
    t.SetRowCount(2);
    t.SetRowCount(5);
    EXPECT_EQ(t.RowHeight(4), 17);
}

TEST(HolidayTableTest, DeleteTableRowMovesRowsUpAndLeavesTheLastRowStored) {
    struct Case {
        const char* name;
        std::int32_t rows, fixedRows, deleted;
        bool addAfter;
        Strings expected;
    };
    const Case cases[] = {
        {"middle then add", 5, 1, 2, true, {"T0", "T1", "T3", "T4", "T4"}},
        {"last then add", 5, 1, 4, true, {"T0", "T1", "T2", "T3", "T4"}},
        {"only row", 1, 0, 0, false, {"T0"}},
        {"header row", 3, 0, 0, false, {"T1", "T2"}},
        {"beyond the end", 3, 0, 7, false, {"T0", "T1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HolidayTable t;
        t.SetFixedRows(0);
        FillRows(t, c.rows);
        t.SetFixedRows(c.fixedRows);
        t.DeleteTableRow(c.deleted);
        if (c.addAfter) {
            t.AddRow();
        }
        EXPECT_EQ(Column0(t), c.expected);
    }

    HolidayTable t;
    FillRows(t, 2);
    t.DeleteTableRow(1);
    EXPECT_EQ(t.RowCount(), 1);
    EXPECT_EQ(t.FixedRows(), 0);
    EXPECT_EQ(t.CurrentCell(), (GridCoord{0, 0}));
}

TEST(HolidayTableTest, AssignRowLeavesColumnsBeyondTheCountAlone) {
    HolidayTable t;
    t.SetCell(6, 2, "target hidden");
    t.SetCell(6, 3, "source hidden");
    t.SetCell(1, 2, "old");
    t.SetCell(0, 3, "new");
    t.AssignRow(2, 3);
    EXPECT_EQ(t.GetCell(0, 2), "new");
    EXPECT_EQ(t.GetCell(1, 2), "");
    EXPECT_EQ(t.GetCell(6, 2), "target hidden");
    t.AddColumn();
    EXPECT_EQ(t.GetCell(6, 2), "target hidden");

    // The same with nothing hidden, and into a row that held nothing.
    t.AssignRow(9, 3);
    EXPECT_EQ(t.GetCell(0, 9), "new");
    t.AssignRow(9, 4);
    EXPECT_EQ(t.GetCell(0, 9), "");
}

TEST(HolidayTableTest, ClearEmptiesTheExtentOnly) {
    HolidayTable t;
    FillRows(t, 5);
    t.SetCell(6, 1, "hidden");
    t.SetCurrentCell({3, 4});
    t.Clear();
    EXPECT_EQ(t.CurrentCell(), (GridCoord{3, 4}));
    EXPECT_EQ(t.ColCount(), 6);
    EXPECT_EQ(t.RowCount(), 5);
    EXPECT_EQ(Column0(t), Strings(5, ""));
    EXPECT_EQ(t.GetCell(6, 1), "hidden");
}

TEST(HolidayTableTest, OpenResetEndsInOneEmptyCellFromAnyState) {
    const std::function<void(HolidayTable&)> states[] = {
        none,
        [](HolidayTable& t) {
            t.SetFixedCols(1);
            t.SetCurrentCell({4, 3});
        },
        [](HolidayTable& t) { t.SetFixedRows(0); },
        [](HolidayTable& t) {
            t.SetColCount(1);
            t.SetRowCount(1);
        },
        [](HolidayTable& t) {
            t.SetColCount(300);
            t.SetRowCount(1000);
            t.SetCurrentCell({299, 999});
            t.SetCell(1000, 5000, "far away");
        },
    };
    for (std::size_t i = 0; i < std::size(states); ++i) {
        SCOPED_TRACE(i);
        const auto build = [&](HolidayTable& t) {
            FillRows(t, 5);
            t.SetColCount(8);
            t.SetCell(7, 2, "hidden");
            t.SetColCount(6);
            t.SetColWidth(0, 150);
            t.SetRowHeight(0, 30);
            states[i](t);
        };
        HolidayTable t;
        build(t);
        // An open reads into a table of its own, which the table takes over at the end: the
        // same as reading into the table after its reset.
        HolidayTable opened;
        build(opened);
        const auto read = opened.OpenResetCopy();
        t.ResetForOpen();
        EXPECT_EQ(Snapshot(*read), Snapshot(t));
        for (HolidayTable* into : {&t, read.get()}) {
            into->SetColCount(7);
            into->SetRowCount(3);
            into->SetCell(6, 2, "read");
        }
        opened.TakeOver(*read);
        EXPECT_EQ(Snapshot(opened), Snapshot(t));
        EXPECT_EQ(opened.RowHeight(0), t.RowHeight(0));
        EXPECT_EQ(opened.RowHeight(2), t.RowHeight(2));
        t.ResetForOpen();
        EXPECT_EQ(t.ColCount(), 1);
        EXPECT_EQ(t.RowCount(), 1);
        EXPECT_EQ(t.FixedCols(), 0);
        EXPECT_EQ(t.FixedRows(), 0);
        EXPECT_EQ(t.CurrentCell(), (GridCoord{0, 0}));
        EXPECT_TRUE(t.Cells().Empty()); // hidden texts included
    }

    HolidayTable t;
    const std::int32_t widths[] = {204, 85, 53, 47, 15, 64};
    for (std::int32_t c = 0; c < 6; ++c) {
        t.SetColWidth(c, widths[c]);
    }
    t.ResetForOpen();
    EXPECT_EQ(t.ColWidth(0), 204);
    t.SetColCount(6);
    for (std::int32_t c = 1; c < 6; ++c) {
        EXPECT_EQ(t.ColWidth(c), 64);
    }
}

TEST(HolidayTableTest, ViewStateIsClampedIntoTheScrollingCells) {
    HolidayTable t;
    t.SetFixedCols(1);
    t.SetCurrentCell({-5, 0});
    EXPECT_EQ(t.CurrentCell(), (GridCoord{1, 1}));
    t.SetAnchor({100, 100});
    EXPECT_EQ(t.Anchor(), (GridCoord{5, 4}));
    t.SetTopLeft({0, 99});
    EXPECT_EQ(t.TopLeft(), (GridCoord{1, 4}));
    t.SetRowCount(2);
    EXPECT_EQ(t.TopLeft(), (GridCoord{1, 1}));
    EXPECT_EQ(t.Anchor(), t.CurrentCell());
}

// The selection is the block between the current cell and the anchor, whichever way it was
// drawn; fixed cells are never in it.
TEST(HolidayTableTest, SelectionIsTheBlockBetweenCurrentCellAndAnchor) {
    HolidayTable t;
    t.SetFixedCols(1);
    struct Case {
        const char* name;
        GridCoord current, anchor;
        CellRange block;
    };
    const Case cases[] = {
        {"one cell", {2, 2}, {2, 2}, {{2, 2}, {2, 2}}},
        {"anchor below right", {1, 1}, {3, 4}, {{1, 1}, {3, 4}}},
        {"anchor above left", {4, 3}, {2, 1}, {{2, 1}, {4, 3}}},
        {"anchor below left", {4, 1}, {1, 3}, {{1, 1}, {4, 3}}},
    };
    for (const auto& tc : cases) {
        t.SetCurrentCell(tc.current);
        t.SetAnchor(tc.anchor);
        const CellSelection selection = t.Selection();
        EXPECT_EQ(selection.Current, tc.current) << tc.name;
        EXPECT_EQ(selection.Anchor, tc.anchor) << tc.name;
        EXPECT_EQ(selection.Block, tc.block) << tc.name;
    }
    EXPECT_TRUE(t.IsFixed({0, 3}));
    EXPECT_TRUE(t.IsFixed({3, 0}));
    EXPECT_FALSE(t.IsFixed({1, 1}));
    EXPECT_EQ((CellRange{{1, 1}, {3, 4}}).CellCount(), 12);
    EXPECT_EQ((CellRange{{2, 2}, {1, 3}}).CellCount(), 0); // empty
}

TEST(HolidayTableTest, TellsObserversOnceAndAfterTheChange) {
    struct Case {
        const char* name;
        std::function<void(HolidayTable&)> act;
        Strings events;
    };
    const Case cases[] = {
        {"cell", [](HolidayTable& t) { t.SetCell(2, 3, "a"); }, {"Cells 2,3 2,3"}},
        {"assign row", [](HolidayTable& t) { t.AssignRow(1, 2); }, {"Cells 0,1 5,1"}},
        {"delete row",
         [](HolidayTable& t) { t.DeleteTableRow(1); },
         {"Cells 0,1 5,3", "Extent 6,5"}},
        {"clear", [](HolidayTable& t) { t.Clear(); }, {"Cells 0,0 5,4"}},
        {"shrink moves current",
         [](HolidayTable& t) { t.SetColCount(2); },
         {"Extent 6,5", "Moved+scroll 4,3"}},
        {"grow", [](HolidayTable& t) { t.AddRow(); }, {"Extent 6,5"}},
        {"same count", [](HolidayTable& t) { t.SetColCount(6); }, {}},
        {"fixed cols",
         [](HolidayTable& t) { t.SetFixedCols(2); },
         {"Fixed", "Moved 4,3", "TopLeft"}},
        {"anchor",
         [](HolidayTable& t) {
             t.SetAnchor({1, 1});
         },
         {"Anchor"}},
        {"current",
         [](HolidayTable& t) {
             t.SetCurrentCell({1, 1});
         },
         {"Moved 4,3"}},
        {"width", [](HolidayTable& t) { t.SetColWidth(3, 10); }, {"Width 3"}},
        {"same width", [](HolidayTable& t) { t.SetColWidth(3, 64); }, {}},
        {"height", [](HolidayTable& t) { t.SetRowHeight(2, 10); }, {"Height 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HolidayTable t;
        t.SetCurrentCell({4, 3});
        RecordingObserver observer;
        t.AddObserver(&observer);
        c.act(t);
        EXPECT_EQ(observer.events, c.events);
        t.RemoveObserver(&observer);
    }
}

TEST(HolidayTableTest, GrowingByOneIsCheap) {
    HolidayTable t;
    t.SetColWidth(0, 204);
    for (int k = 0; k < 200'000; ++k) {
        t.AddColumn();
        t.AddRow();
    }
    EXPECT_EQ(t.ColCount(), 200'006);
    EXPECT_EQ(t.RowCount(), 200'005);
    EXPECT_EQ(t.ColWidths().Sum(0, t.ColCount()), 204 + 64LL * 200'005);
    EXPECT_TRUE(t.Cells().Empty());
}

} // namespace
} // namespace holiday
