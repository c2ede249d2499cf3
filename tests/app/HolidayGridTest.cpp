#include "app/HolidayGrid.h"

#include "app/ApplicationFonts.h"
#include "app/GridAxis.h"
#include "app/GridCellEditor.h"
#include "app/TForm1.h"
#include "tests/support/TableSnapshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace app;

using holiday::GridCoord;

namespace holiday {
// Readable coordinates in failure messages.
void PrintTo(const GridCoord& c, std::ostream* os) {
    *os << "(" << c.Col << ", " << c.Row << ")";
}
} // namespace holiday

// --- The layout arithmetic of one axis -----------------------------------------------------------

TEST(GridAxisTest, ScrollLimitsAndVisibleSpans) {
    holiday::AxisSizes sizes(64); // every index 64 + 1 pixels
    sizes.Set(3, 9);              // index 3 is 9 + 1
    struct Case {
        const char* name;
        std::int32_t fixed;
        std::int32_t count;
        std::int64_t extent;
        std::int32_t maxFirst;
    };
    const Case cases[] = {
        {"everything fits", 1, 5, 1000, 1},
        {"exactly fits", 0, 4, 3 * 65 + 10, 0},
        {"one pixel short", 0, 4, 3 * 65 + 9, 1},
        {"last index wider than the extent", 0, 4, 5, 3},
        {"huge axis", 0, 100'000'000, 650, 100'000'000 - 10},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GridAxis(sizes, c.fixed, c.count).MaxFirst(c.extent), c.maxFirst) << c.name;
    }

    const GridAxis axis(sizes, 1, 100'000'000);
    EXPECT_EQ(axis.FixedExtent(), 65);
    EXPECT_EQ(axis.PosOf(1, 0), 0);
    EXPECT_EQ(axis.PosOf(2, 4), 65 + 65 + 10);                         // 2, then the narrow 3
    EXPECT_EQ(axis.PosOf(5, 2), 65 - (65 + 10 + 65));                  // before the first shown
    EXPECT_EQ(axis.PosOf(1, 99'999'999), 99'999'998LL * 65 - 55 + 65); // 64-bit positions
    EXPECT_EQ(axis.FirstShowing(10, 5, 300), 5);                       // target before first
    EXPECT_EQ(axis.FirstShowing(10, 12, 300), 10);                     // already shown
    EXPECT_EQ(axis.FirstShowing(10, 50, 300), 50 - 3); // four whole spans fit in 300
    EXPECT_EQ(axis.WholeCount(10, 300), 4);
    EXPECT_EQ(axis.WholeCount(10, 3), 1);

    const auto spans = axis.Visible(2, 200);
    ASSERT_EQ(spans.size(), 4u); // fixed 0, then 2, 3, 4 (4 starts at 140 < 200)
    const std::int32_t indexes[] = {0, 2, 3, 4};
    const int positions[] = {0, 65, 130, 140};
    for (std::size_t i = 0; i < spans.size(); ++i) {
        EXPECT_EQ(spans[i].Index, indexes[i]);
        EXPECT_EQ(spans[i].Pos, positions[i]);
    }
}

// --- The widget
// ------------------------------------------------------------------------------------

namespace {

// The window's own grid, with the window's sgKeyDown bound to it.
class HolidayGridTest : public testing::Test {
protected:
    static void SetUpTestSuite() { RegisterApplicationFonts(); }

    void SetUp() override {
        grid = form->sg;
        button = form->returndown; // a control outside the grid that has no command
        const auto sgKeyDown = grid->OnKeyDown;
        grid->OnKeyDown = [this, sgKeyDown](int& key, Qt::KeyboardModifiers modifiers) {
            keysDown.push_back(key);
            sgKeyDown(key, modifiers);
        };
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        grid->setFocus();
        QCoreApplication::processEvents();
    }

    QWidget* Focus() const {
        QWidget* w = QApplication::focusWidget();
        return w != nullptr ? w : grid;
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(Focus(), static_cast<Qt::Key>(key), mods);
    }
    void Type(const QString& text) {
        for (const QChar c : text) {
            QTest::keyClick(Focus(), c.toLatin1());
        }
    }
    void Click(GridCoord cell) {
        QCoreApplication::processEvents();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(cell).center());
    }
    std::string Cell(GridCoord c) const { return table.GetCell(c.Col, c.Row); }
    QImage Grab() const {
        return grid->viewport()->grab().toImage().convertToFormat(
            QImage::Format_ARGB32_Premultiplied);
    }

    // Made after SetUpTestSuite has registered the fonts.
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>();
    holiday::HolidayTable& table = form->Table();
    HolidayGrid* grid = nullptr;
    QWidget* button = nullptr;
    std::vector<int> keysDown; // what OnKeyDown saw
};

} // namespace

// The moves are NavigateGrid's (GridNavigationTest); here every key reaches it, from the grid
// and from the open editor, once, and the grid applies its whole result.
TEST_F(HolidayGridTest, KeysReachTheNavigationAndTheGridAppliesItsResult) {
    using enum GridKey;
    const std::pair<int, GridKey> keys[] = {{Qt::Key_Up, Up},         {Qt::Key_Down, Down},
                                            {Qt::Key_PageUp, PageUp}, {Qt::Key_PageDown, PageDown},
                                            {Qt::Key_Left, Left},     {Qt::Key_Right, Right},
                                            {Qt::Key_Home, Home},     {Qt::Key_End, End},
                                            {Qt::Key_Return, Enter},  {Qt::Key_Enter, Enter}};
    for (const auto& [key, gridKey] : keys) {
        const bool caretKey =
            gridKey == Left || gridKey == Right || gridKey == Home || gridKey == End;
        for (const Qt::KeyboardModifiers mods :
             {Qt::KeyboardModifiers{}, Qt::KeyboardModifiers{Qt::ShiftModifier},
              Qt::KeyboardModifiers{Qt::ControlModifier}}) {
            // In the middle and in the last cell, from the grid and from the open editor.
            for (const auto& [start, open] : {std::pair{GridCoord{2, 2}, false},
                                              {{5, 4}, false},
                                              {{2, 2}, true},
                                              {{5, 4}, true}}) {
                if (open && caretKey) {
                    continue; // they move the caret (EditorKeysWriteThroughAtOnce)
                }
                SCOPED_TRACE(std::to_string(key) + " " + std::to_string(mods.toInt()) +
                             (open ? " in the editor" : ""));
                grid->CloseEditor();
                table.SetCurrentCell(start);
                if (open) {
                    grid->OpenEditor(HolidayGrid::EditorOpening::CaretAtEnd);
                }
                const GridNavigation expected =
                    NavigateGrid(grid->NavigationState(), gridKey, mods & Qt::ShiftModifier,
                                 mods & Qt::ControlModifier,
                                 gridKey == Enter ? EnterMove::Right : EnterMove::None);
                keysDown.clear();
                Key(key, mods);
                EXPECT_EQ(std::count(keysDown.begin(), keysDown.end(), key), 1);
                EXPECT_EQ(table.CurrentCell(), expected.Current);
                EXPECT_EQ(table.Anchor(), expected.Anchor);
                EXPECT_EQ(grid->IsEditorOpen(), expected.EditorOpen);
                EXPECT_TRUE(grid->hasFocus() || grid->Editor()->hasFocus());
            }
        }
    }
}

TEST_F(HolidayGridTest, EditorKeysWriteThroughAtOnce) {
    struct Case {
        const char* name;
        std::function<void()> keys;
        std::string cell;
        int caret; // -1: editor closed
        GridCoord current;
    };
    const GridCoord start{1, 2};
    const Case cases[] = {
        {"typing replaces", [&] { Type("Xy"); }, "Xy", 2, start},
        {"Backspace empties", [&] { Key(Qt::Key_Backspace); }, "", 0, start},
        {"F2 puts the caret at the end", [&] { Key(Qt::Key_F2), Type("n"); }, "Eastern", 7, start},
        {"Esc does nothing", [&] { Type("Abc"), Key(Qt::Key_Escape), Key(Qt::Key_Escape); }, "Abc",
         3, start},
        {"Left and Home move the caret",
         [&] { Key(Qt::Key_F2), Key(Qt::Key_Left), Type("1"), Key(Qt::Key_Home), Type("2"); },
         "2Easte1r", 1, start},
        {"Right and End move the caret",
         [&] { Type("ab"), Key(Qt::Key_Home), Key(Qt::Key_Right), Type("-"), Key(Qt::Key_End); },
         "a-b", 3, start},
        {"Up moves and closes", [&] { Type("U"), Key(Qt::Key_Up); }, "U", -1, {1, 1}},
        {"Down moves and closes",
         [&] { Key(Qt::Key_F2), Key(Qt::Key_Down); },
         "Easter",
         -1,
         {1, 3}},
        {"Page Down moves and closes",
         [&] { Key(Qt::Key_F2), Key(Qt::Key_PageDown); },
         "Easter",
         -1,
         {1, 4}},
        {"second click opens, all selected", [&] { Click(start), Type("Q"); }, "Q", 1, start},
        {"Tab leaves the grid", [&] { Type("T"), Key(Qt::Key_Tab); }, "T", -1, start},
        {"a right click keeps the caret keys in the editor",
         [&] {
             Key(Qt::Key_F2);
             QTest::mouseClick(grid->viewport(), Qt::RightButton, {},
                               grid->CellRect(start).center());
             Key(Qt::Key_Left), Type("1");
         },
         "Easte1r", 6, start},
        {"a click on the cell's grid line keeps the caret keys in the editor",
         [&] {
             Key(Qt::Key_F2);
             const QRect r = grid->CellRect(start);
             QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                               {r.right() + 1, r.center().y()});
             Key(Qt::Key_Home), Type("1");
         },
         "1Easter", 1, start},
        {"a button click closes", [&] { Type("B"), QTest::mouseClick(button, Qt::LeftButton); },
         "B", -1, start},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        grid->CloseEditor();
        grid->setFocus();
        table.SetCurrentCell(start);
        table.SetCell(start.Col, start.Row, "Easter");
        tc.keys();
        EXPECT_EQ(Cell(start), tc.cell);
        EXPECT_EQ(table.CurrentCell(), tc.current);
        ASSERT_EQ(grid->IsEditorOpen(), tc.caret >= 0);
        if (tc.caret >= 0) {
            EXPECT_EQ(grid->Editor()->text().toStdString(), tc.cell);
            EXPECT_EQ(grid->Editor()->cursorPosition(), tc.caret);
        }
    }
    EXPECT_EQ(QApplication::focusWidget(), button); // after the last case
}

TEST_F(HolidayGridTest, CellsNeverTakeTheFileSeparators) {
    const GridCoord cell{2, 1};
    table.SetCurrentCell(cell);
    grid->OpenEditor(HolidayGrid::EditorOpening::SelectAll);
    QLineEdit* editor = grid->Editor();

    editor->insert(QString::fromUtf8("a\0b\x01"
                                     "c",
                                     5)); // as a paste inserts it
    EXPECT_EQ(Cell(cell), "abc");
    EXPECT_EQ(editor->cursorPosition(), 3);

    editor->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(QString::fromUtf8("\x01x\0", 3));
    editor->paste();
    EXPECT_EQ(Cell(cell), "axbc");
    EXPECT_EQ(editor->cursorPosition(), 2);

    editor->setText(QString::fromUtf8("\0\x01", 2));
    EXPECT_EQ(Cell(cell), "");

    // A text set from elsewhere shows in the open editor; typing goes on from the end.
    table.SetCell(cell.Col, cell.Row, "From outside");
    EXPECT_EQ(editor->text(), QStringLiteral("From outside"));
    Type("!");
    EXPECT_EQ(Cell(cell), "From outside!");
}

TEST_F(HolidayGridTest, OnlyTypingKeysOpenTheEditor) {
    struct Case {
        const char* name;
        int key;
        Qt::KeyboardModifiers mods;
        std::string cell; // empty: the editor stays closed and the cell keeps "Easter"
    };
    const Case cases[] = {
        {"letter", Qt::Key_A, {}, "a"},
        {"space", Qt::Key_Space, {}, " "},
        {"digit on the keypad", Qt::Key_5, Qt::KeypadModifier, "5"},
        {"Ctrl+letter", Qt::Key_A, Qt::ControlModifier, ""},
        {"Alt+letter", Qt::Key_A, Qt::AltModifier, ""},
        {"Insert", Qt::Key_Insert, {}, ""},
        {"Esc", Qt::Key_Escape, {}, ""},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        grid->CloseEditor();
        table.SetCell(3, 3, "Easter");
        table.SetCurrentCell({3, 3});
        Key(tc.key, tc.mods);
        EXPECT_EQ(grid->IsEditorOpen(), !tc.cell.empty());
        EXPECT_EQ(Cell({3, 3}), tc.cell.empty() ? "Easter" : tc.cell);
    }
}

// The edit commands' keys with the editor closed, each undone and redone; the table's own
// record of every kind of change is the history's test, here the grid's wiring.
TEST_F(HolidayGridTest, ClipboardAndHistoryKeys) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    table.SetCell(1, 1, "Easter");
    table.SetCell(2, 1, "a\tb");
    table.SetCell(1, 2, "Mariä \"H\"");
    table.SetCell(6, 2, "hidden");
    table.SetCell(3, 1, "+1");
    table.SetCurrentCell({1, 1});
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QString::fromUtf8("Easter\t\"a\tb\"\n\"Mariä \"\"H\"\"\"\t\n"));
    EXPECT_TRUE(clipboard->mimeData()->html().contains(u"<td>Mariä &quot;H&quot;</td><td></td>"));

    const struct {
        const char* name;
        std::function<void()> setup;
        std::function<void()> act;
        std::function<bool()> done;
    } cases[] = {
        {"Ctrl+X cuts", [] {}, [&] { Key(Qt::Key_X, Qt::ControlModifier); },
         [&] {
             return Cell({1, 1}).empty() && Cell({2, 2}).empty() && !clipboard->text().isEmpty();
         }},
        {"Delete empties",
         [&] {
             table.SetCurrentCell({3, 1});
         },
         [&] { Key(Qt::Key_Delete); },
         [&] {
             return Cell({3, 1}).empty();
         }},
        {"Ctrl+V grows the table over a hidden text",
         [&] {
             table.SetCurrentCell({5, 1});
         },
         [&] {
             clipboard->setText(QStringLiteral("x\ty\r\n\"q\tr\"\r\n"));
             Key(Qt::Key_V, Qt::ControlModifier);
         },
         [&] {
             return table.ColCount() == 7 && Cell({6, 1}) == "y" && Cell({5, 2}) == "q\tr" &&
                    Cell({6, 2}).empty() && table.Anchor() == GridCoord{6, 2};
         }},
        {"one line fills the block",
         [&] {
             table.SetCurrentCell({0, 3});
             Key(Qt::Key_Right, Qt::ShiftModifier);
         },
         [&] {
             clipboard->setText(QStringLiteral("#\n"));
             Key(Qt::Key_V, Qt::ControlModifier);
         },
         [&] {
             return Cell({0, 3}) == "#" && Cell({1, 3}) == "#";
         }},
        {"typing is one step per cell",
         [&] {
             table.SetCurrentCell({3, 4});
         },
         [&] {
             Type("Ab");
             Key(Qt::Key_Return);
         },
         [&] {
             return Cell({3, 4}) == "Ab";
         }},
        {"add row", [] {}, [&] { form->Button2->click(); }, [&] { return table.RowCount() == 6; }},
        {"delete current row",
         [&] {
             table.SetCurrentCell({0, 1});
         },
         [&] { form->Button4->click(); },
         [&] {
             return Cell({0, 2}) == "#" && table.RowCount() == 5;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        grid->setFocus();
        c.setup();
        const testsupport::TableState before = testsupport::Snapshot(table);
        c.act();
        grid->CloseEditor();
        EXPECT_TRUE(c.done());
        const testsupport::TableState after = testsupport::Snapshot(table);
        Key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(testsupport::Snapshot(table).Texts, before.Texts);
        EXPECT_EQ(table.ColCount(), before.Cols);
        EXPECT_EQ(table.RowCount(), before.Rows);
        EXPECT_EQ(table.CurrentCell(), before.Current);
        Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(testsupport::Snapshot(table).Texts, after.Texts);
        Key(Qt::Key_Z, Qt::ControlModifier);
        Key(Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(testsupport::Snapshot(table).Texts, after.Texts);
    }

    // Inside the open editor Ctrl+Z is the editor's own, of that cell only.
    table.SetCurrentCell({0, 2});
    Type("uv");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(grid->IsEditorOpen());
    EXPECT_EQ(Cell({0, 2}), "#");
    EXPECT_EQ(Cell({3, 3}), "Ab");
}

TEST_F(HolidayGridTest, ContextMenu) {
    std::int32_t yearViewCol = -1;
    const auto open = [&](GridCoord cell) -> QMenu* {
        const QPoint at = grid->CellRect(cell).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(grid->viewport(), &event);
        QMenu* menu = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* m = qobject_cast<QMenu*>(w); m != nullptr && m->isVisible()) {
                menu = m;
            }
        }
        return menu;
    };
    const auto entry = [](QMenu* menu, const char* name) {
        return menu->findChild<QAction*>(QString::fromLatin1(name));
    };
    table.SetCell(2, 3, "Easter");
    QMenu* menu = open({2, 3});
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(table.CurrentCell(), (GridCoord{2, 3})); // the right click moved it
    EXPECT_FALSE(entry(menu, "grid-undo")->isEnabled());
    EXPECT_EQ(entry(menu, "grid-year-view"), nullptr);
    entry(menu, "grid-cut")->trigger();
    menu->close();
    EXPECT_EQ(Cell({2, 3}), "");

    grid->OnYearView = [&](std::int32_t col) { yearViewCol = col; };
    for (const auto& [cell, yearView] : {std::pair{GridCoord{4, 2}, false}, {{5, 0}, true}}) {
        menu = open(cell);
        ASSERT_NE(menu, nullptr);
        QAction* year = entry(menu, "grid-year-view");
        EXPECT_EQ(year != nullptr, yearView);
        // A fixed cell (the header) greys what acts on cells.
        EXPECT_EQ(entry(menu, "grid-paste")->isEnabled() || entry(menu, "grid-cut")->isEnabled(),
                  cell.Row != 0);
        EXPECT_EQ(entry(menu, "grid-undo")->isEnabled(), !yearView); // the cut, undone below
        if (year != nullptr) {
            year->trigger();
        } else {
            entry(menu, "grid-undo")->trigger();
        }
        menu->close();
    }
    EXPECT_EQ(Cell({2, 3}), "Easter");
    EXPECT_EQ(yearViewCol, 5);
}

TEST_F(HolidayGridTest, MousePressesOnCells) {
    table.SetFixedCols(1); // current cell (1, 1)
    struct Case {
        const char* name;
        GridCoord click;
        GridCoord current;
        bool open;
    };
    const Case cases[] = {
        {"fixed row does nothing", {2, 0}, {1, 1}, false},
        {"fixed column does nothing", {0, 3}, {1, 1}, false},
        {"other cell becomes current", {3, 2}, {3, 2}, false},
        {"current cell opens the editor", {3, 2}, {3, 2}, true},
        {"another cell closes it", {4, 3}, {4, 3}, false},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        Click(tc.click);
        EXPECT_EQ(table.CurrentCell(), tc.current);
        EXPECT_EQ(table.Anchor(), tc.current);
        EXPECT_EQ(grid->IsEditorOpen(), tc.open);
    }
}

TEST_F(HolidayGridTest, RowsResizeOnlyInTheFixedFirstColumn) {
    for (const std::int32_t fixedCols : {0, 1}) {
        SCOPED_TRACE(fixedCols);
        table.SetFixedCols(fixedCols);
        table.SetRowHeight(1, 17);
        QCoreApplication::processEvents();
        const QRect row1 = grid->CellRect({0, 1});
        const QPoint border(row1.center().x(), row1.bottom() + 1);
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, border);
        QTest::mouseMove(grid->viewport(), border + QPoint(0, 10));
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, border + QPoint(0, 10));
        EXPECT_EQ(table.RowHeight(1), fixedCols == 1 ? 27 : 17);
    }
}

TEST_F(HolidayGridTest, ScrollsHugeTablesToTheirLastCell) {
    struct Case {
        std::int32_t cols;
        std::int32_t rows;
    };
    for (const Case tc : {Case{8, 1'048'576}, Case{100'000'000, 5}, Case{1'000'000, 1'048'576}}) {
        SCOPED_TRACE(std::to_string(tc.cols) + " x " + std::to_string(tc.rows));
        table.SetColCount(tc.cols);
        table.SetRowCount(tc.rows);
        QCoreApplication::processEvents();
        const GridCoord last{tc.cols - 1, tc.rows - 1};
        table.SetCurrentCell(last);
        grid->ScrollToCurrentCell();
        QCoreApplication::processEvents();
        EXPECT_TRUE(grid->viewport()->rect().contains(grid->CellRect(last)));
        EXPECT_EQ(table.TopLeft(), grid->ScrollPosition());
        EXPECT_EQ(grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());
        EXPECT_EQ(grid->CellAt(grid->CellRect(last).center()), std::optional<GridCoord>(last));

        // The scroll bars count columns and rows; the table's top-left cell follows them.
        grid->verticalScrollBar()->setValue(0);
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
        EXPECT_EQ(table.TopLeft(), (GridCoord{grid->horizontalScrollBar()->maximum(), 1}));
        EXPECT_EQ(grid->CellRect(table.TopLeft()).topLeft(), QPoint(0, 18));

        // Ctrl+Home goes back to the start; fixing a column scrolls to the top-left.
        Key(Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(table.CurrentCell(), last);
        Key(Qt::Key_Home, Qt::ControlModifier);
        EXPECT_EQ(grid->ScrollPosition(), (GridCoord{0, 1}));
        Key(Qt::Key_End, Qt::ControlModifier);
        table.SetFixedCols(1);
        QCoreApplication::processEvents();
        EXPECT_EQ(grid->ScrollPosition(), (GridCoord{1, 1}));
        EXPECT_EQ(grid->horizontalScrollBar()->value(), 0);
        table.SetFixedCols(0);
        table.SetColCount(6);
        table.SetRowCount(5);
    }
}

TEST_F(HolidayGridTest, PaintsFixedCellsInArialAndOrdinaryOnesInTahoma) {
    const QString text = QStringLiteral("Wg&xy Ä");
    table.SetCell(1, 0, text.toStdString());
    table.SetCell(1, 2, text.toStdString());
    table.SetCurrentCell({3, 3});
    QCoreApplication::processEvents();
    const QImage shot = Grab();

    auto reference = [&](const QFont& font, QPalette::ColorRole bg, QPalette::ColorRole fg,
                         QSize size) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(grid->palette().color(bg));
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(grid->palette().color(fg));
        painter.drawText(QRect(QPoint(2, 0), size - QSize(2, 0)),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        return image;
    };
    // The inside of the cell, clear of its edges and grid lines.
    auto inner = [](const QImage& image, QRect cell) {
        return image.copy(cell.adjusted(2, 2, -2, -2));
    };
    const QRect fixedCell = grid->CellRect({1, 0});
    const QRect cell = grid->CellRect({1, 2});
    const QRect local(QPoint(0, 0), cell.size());
    const QImage arial =
        reference(grid->FixedFont(), QPalette::Button, QPalette::WindowText, fixedCell.size());
    const QImage tahoma = reference(grid->CellFont(), QPalette::Base, QPalette::Text, cell.size());
    EXPECT_EQ(inner(shot, fixedCell), inner(arial, local));
    EXPECT_EQ(inner(shot, cell), inner(tahoma, local));
    if (QFontInfo(grid->FixedFont()).family() != QFontInfo(grid->CellFont()).family()) {
        const QImage swapped =
            reference(grid->CellFont(), QPalette::Button, QPalette::WindowText, fixedCell.size());
        EXPECT_NE(inner(shot, fixedCell), inner(swapped, local));
    }
}

// Whether any pixel of the block differs from the ordinary cell colour.
bool Inked(const QImage& shot, QRect block, QRgb base) {
    for (int y = block.top(); y <= block.bottom(); ++y) {
        for (int x = block.left(); x <= block.right(); ++x) {
            if (shot.pixel(x, y) != base) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(HolidayGridTest, TextKeepsTwoPixelsFromEveryEdgeOfItsCell) {
    table.SetCell(1, 2, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    table.SetRowHeight(2, 14); // lower than the text: the inset clips it above and below
    table.SetCurrentCell({4, 4});
    QCoreApplication::processEvents();
    const QImage shot = Grab();
    const QRgb base = grid->palette().color(QPalette::Base).rgba();
    const QRect cell = grid->CellRect({1, 2});
    EXPECT_TRUE(Inked(shot, cell.adjusted(2, 2, -2, -2), base));
    const struct {
        const char* Edge;
        QRect Strip;
    } strips[] = {
        {"left", QRect(cell.left(), cell.top(), 2, cell.height())},
        {"right", QRect(cell.right() - 1, cell.top(), 2, cell.height())},
        {"top", QRect(cell.left(), cell.top(), cell.width(), 2)},
        {"bottom", QRect(cell.left(), cell.bottom() - 1, cell.width(), 2)},
    };
    for (const auto& strip : strips) {
        EXPECT_FALSE(Inked(shot, strip.Strip, base)) << strip.Edge;
    }
}

TEST_F(HolidayGridTest, RowsLowerThanTheTextShowNoText) {
    // The window font's text height is 13 as the design counts it, 11 as Qt counts it.
    const int textHeight = TextHeight(grid->CellFont());
    if (QFontInfo(grid->CellFont()).family() == u"Tahoma") {
        EXPECT_EQ(textHeight, 13);
    }
    table.SetCell(1, 2, "Easter");
    table.SetCurrentCell({4, 4});
    for (const int height : {1, textHeight - 1, textHeight, 17}) {
        SCOPED_TRACE(height);
        table.SetRowHeight(2, height);
        QCoreApplication::processEvents();
        const QRgb base = grid->palette().color(QPalette::Base).rgba();
        EXPECT_EQ(Inked(Grab(), grid->CellRect({1, 2}), base), height >= textHeight);
    }
}

TEST_F(HolidayGridTest, AHugeCellIsEditedThroughAWindowThatWritesThrough) {
    // Umlauts, a four-byte character and a byte that is no UTF-8 near the start; plain letters
    // at the end, far more than the editor shows at once.
    std::string base = "Tag der Arbeit \xc3\xa4\xf0\x9f\x98\x80 \xff ";
    for (std::size_t i = 0; base.size() < 4 * GridCellEditor::WindowBytes; ++i) {
        base += static_cast<char>('a' + i % 26);
    }
    const std::size_t windowAtEnd = base.size() - GridCellEditor::WindowBytes;
    auto* editor = static_cast<GridCellEditor*>(grid->Editor());
    const GridCoord cell{1, 1};
    struct Case {
        const char* name;
        std::function<void()> keys;
        std::string cell;
    };
    const Case cases[] = {
        {"F2 and a keystroke append", [&] { Key(Qt::Key_F2), Type("!"); }, base + "!"},
        {"Home inserts at the start", [&] { Key(Qt::Key_F2), Key(Qt::Key_Home), Type("<"); },
         "<" + base},
        {"a caret near the window's start takes the window along",
         [&] { Key(Qt::Key_F2), editor->setCursorPosition(10), Key(Qt::Key_Left), Type("#"); },
         base.substr(0, windowAtEnd + 9) + "#" + base.substr(windowAtEnd + 9)},
        {"the whole text selected: a keystroke replaces it",
         [&] { grid->OpenEditor(HolidayGrid::EditorOpening::SelectAll), Type("z"); }, "z"},
        {"Ctrl+A and Backspace empty the cell",
         [&] { Key(Qt::Key_F2), Key(Qt::Key_A, Qt::ControlModifier), Key(Qt::Key_Backspace); }, ""},
        {"Ctrl+C copies the whole text",
         [&] {
             grid->OpenEditor(HolidayGrid::EditorOpening::SelectAll);
             Key(Qt::Key_C, Qt::ControlModifier);
             EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(base));
         },
         base},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        grid->CloseEditor();
        grid->setFocus();
        table.SetCurrentCell(cell);
        table.SetCell(cell.Col, cell.Row, base);
        tc.keys();
        EXPECT_TRUE(Cell(cell) == tc.cell); // no megabytes of output on a failure
        EXPECT_TRUE(editor->WholeText() == Cell(cell));
        EXPECT_LE(editor->text().toUtf8().size(), 2 * GridCellEditor::WindowBytes);
    }
}

TEST_F(HolidayGridTest, UndoAndRedoWorkOnTheWholeText) {
    std::string huge;
    for (std::size_t i = 0; huge.size() < 4 * GridCellEditor::WindowBytes; ++i) {
        huge += static_cast<char>('a' + i % 26);
    }
    auto* editor = static_cast<GridCellEditor*>(grid->Editor());
    const auto selectAll = [&] { grid->OpenEditor(HolidayGrid::EditorOpening::SelectAll); };
    const auto undo = [&] { Key(Qt::Key_Z, Qt::ControlModifier); };
    const auto redo = [&] { Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); };
    // Runs the entry of the editor's context menu named name (as Qt names its line edit's).
    const auto menu = [&](const char* name) {
        QContextMenuEvent open(QContextMenuEvent::Keyboard, editor->rect().center(),
                               editor->mapToGlobal(editor->rect().center()));
        QCoreApplication::sendEvent(editor, &open);
        auto* shown = editor->findChild<QMenu*>();
        ASSERT_NE(shown, nullptr);
        for (QAction* action : shown->actions()) {
            if (action->objectName() == QLatin1String(name)) {
                EXPECT_TRUE(action->isEnabled()) << name;
                action->trigger();
            }
        }
        shown->close();
        delete shown;
    };
    const GridCoord cell{1, 1};
    struct Case {
        const char* name;
        std::string text;
        std::function<void()> keys;
        std::string cell;
    };
    const Case cases[] = {
        {"a huge text replaced, undone", huge, [&] { selectAll(), Type("zy"), undo(); }, huge},
        {"a huge text cut, undone", huge,
         [&] { selectAll(), Key(Qt::Key_X, Qt::ControlModifier), undo(); }, huge},
        {"undone, then redone", huge, [&] { selectAll(), Type("zy"), undo(), redo(); }, "zy"},
        {"Ctrl+Y redoes", huge,
         [&] { selectAll(), Type("z"), undo(), Key(Qt::Key_Y, Qt::ControlModifier); }, "z"},
        {"typing at the end of a huge text, undone", huge,
         [&] { Key(Qt::Key_F2), Type("abc"), undo(); }, huge},
        {"the menu's Select All and Cut take the whole text", huge,
         [&] {
             Key(Qt::Key_F2), menu("select-all"), menu("edit-cut");
             EXPECT_TRUE(QGuiApplication::clipboard()->text() == QString::fromStdString(huge));
         },
         ""},
        {"the menu's Undo", huge, [&] { selectAll(), Type("z"), menu("edit-undo"); }, huge},
        {"a small text: typing is one change", "Easter",
         [&] { Key(Qt::Key_F2), Type("abc"), undo(); }, "Easter"},
        {"a small text: Backspace ends the run of typing", "Easter",
         [&] { Key(Qt::Key_F2), Type("ab"), Key(Qt::Key_Backspace), undo(); }, "Easterab"},
        {"a small text: a caret move ends it", "Easter",
         [&] { Key(Qt::Key_F2), Type("a"), Key(Qt::Key_Left), Type("b"), undo(); }, "Eastera"},
        {"a small text: the selection comes back", "Easter",
         [&] { selectAll(), Type("Ost"), undo(), Type("P"); }, "P"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        grid->CloseEditor();
        grid->setFocus();
        table.SetCurrentCell(cell);
        table.SetCell(cell.Col, cell.Row, tc.text);
        tc.keys();
        EXPECT_TRUE(Cell(cell) == tc.cell) << Cell(cell).size(); // no megabytes on a failure
        EXPECT_TRUE(editor->WholeText() == Cell(cell));
    }
}

TEST_F(HolidayGridTest, AnEditorScrolledUnderTheFixedColumnHidesAndKeepsTakingKeys) {
    table.SetColCount(60);
    table.SetFixedCols(1);
    table.SetCurrentCell({1, 2});
    table.SetCell(1, 2, "Easter");
    grid->OpenEditor(HolidayGrid::EditorOpening::CaretAtEnd);
    QCoreApplication::processEvents();
    grid->horizontalScrollBar()->setValue(5); // column 1 goes under the fixed column
    EXPECT_TRUE(grid->IsEditorOpen());
    EXPECT_FALSE(grid->Editor()->isVisible());
    EXPECT_TRUE(grid->hasFocus());
    Type("n");
    EXPECT_EQ(Cell({1, 2}), "Eastern");
    grid->horizontalScrollBar()->setValue(0);
    EXPECT_TRUE(grid->Editor()->isVisible());
    EXPECT_TRUE(grid->Editor()->hasFocus());
    EXPECT_EQ(grid->Editor()->geometry(), grid->CellRect({1, 2}));
    Type("s");
    EXPECT_EQ(Cell({1, 2}), "Easterns");
}
