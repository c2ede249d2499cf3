#include "FormTestSupport.h"
#include "RecordingMessageBox.h"
#include "app/HolidayGrid.h"
#include "app/ReportMemo.h"
#include "holiday/Exception.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <array>
#include <random>
#include <string>

using namespace app;

namespace {

using holiday::GridCoord;

class EditingCommands : public FormTest {
protected:
    // Fills every cell of the extent with "c<col>r<row>".
    void FillTable() {
        for (int col = 0; col < Table().ColCount(); ++col) {
            for (int row = 0; row < Table().RowCount(); ++row) {
                Table().SetCell(col, row, Text(col, row));
            }
        }
    }
    static std::string Text(int col, int row) {
        return "c" + std::to_string(col) + "r" + std::to_string(row);
    }
    // A click on a check box as the user makes it: the box changes, then the command runs.
    static void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(EditingCommands, EachButtonRunsItsCommand) {
    struct Case {
        QPushButton* Button;
        int Cols;
        int Rows;
    };
    const Case cases[] = {
        {Form().Button2, 6, 6}, // add row
        {Form().Button5, 7, 6}, // add col
        {Form().Button6, 6, 6}, // delete last col
        {Form().Button4, 6, 5}, // delete current row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Button->text().toStdString());
        Click(c.Button);
        EXPECT_EQ(Table().ColCount(), c.Cols);
        EXPECT_EQ(Table().RowCount(), c.Rows);
    }
    Click(Form().Button7);
    EXPECT_EQ(Table().ColWidth(5), 10);
    Click(Form().Button3);
    EXPECT_EQ(Form().Memo1->Lines().size(), 11); // the headings of an empty table
}

TEST_F(EditingCommands, AutosizeSizesConfigurationColumnsToTheirHeadersInTheCellFont) {
    Form().ConfExit(nullptr);
    EXPECT_EQ(Table().ColWidth(5), 10); // an empty header measures 0
    EXPECT_EQ(Table().ColWidth(4), 15);

    Form().Button5Click(nullptr);
    Table().SetCell(5, 0, "Baden-Württemberg");
    Table().SetCell(6, 0, "BY");
    Table().SetCell(4, 0, "not a configuration");
    Form().ConfExit(nullptr);
    const QFontMetrics tahoma(WindowFont()); // also while row 0 is fixed and drawn in Arial
    EXPECT_EQ(Table().ColWidth(5), tahoma.horizontalAdvance(u"Baden-Württemberg"_qs) + 10);
    EXPECT_EQ(Table().ColWidth(6), tahoma.horizontalAdvance(u"BY"_qs) + 10);
    EXPECT_EQ(Table().ColWidth(4), 15);
    EXPECT_EQ(Table().CurrentCell(), (GridCoord{0, 1}));
}

// Many headers are measured from their characters and neighbours: the widths must be Qt's own,
// whatever the characters (kerned pairs, umlauts, marks, other scripts, controls, emoji).
TEST_F(EditingCommands, AutosizeWidthsAreThoseOfQtsOwnMeasuring) {
    const std::u16string alphabet =
        u"AVWTYaLfiflrvy.,-'0123456789 \u00e4\u00f6\u00df\u00c4\u0301\u05d0\u0627\t\u03a9\u0416";
    std::mt19937 random(5);
    constexpr int headers = 2000;
    Table().SetColCount(5 + headers);
    std::vector<QString> texts;
    for (int col = 5; col < 5 + headers; ++col) {
        QString text;
        for (auto n = 1 + random() % 12; n > 0; --n) {
            text.append(QChar(alphabet[random() % alphabet.size()]));
        }
        if (col % 3 == 0) { // most headers plain text
            text = QString::number(col) + QStringLiteral(" Land");
        }
        Table().SetCell(col, 0, text.toStdString());
        texts.push_back(text);
    }
    Form().ConfExit(nullptr);
    const QFontMetrics metrics(WindowFont());
    for (std::size_t k = 0; k < texts.size(); ++k) {
        ASSERT_EQ(Table().ColWidth(5 + static_cast<int>(k)),
                  metrics.horizontalAdvance(texts[k]) + 10)
            << texts[k].toStdString();
    }
}

TEST_F(EditingCommands, AutosizeLeavesFiveColumnsAlone) {
    Form().Button6Click(nullptr);
    Table().SetCell(5, 0, "hidden");
    Form().ConfExit(nullptr);
    const std::array<int, 5> widths{204, 85, 53, 47, 15};
    for (std::size_t col = 0; col < widths.size(); ++col) {
        EXPECT_EQ(Table().ColWidth(static_cast<int>(col)), widths[col]);
    }
}

TEST_F(EditingCommands, DeleteLastColKeepsTheRuleColumnsAndAddColShowsTheTextsAgain) {
    FillTable();
    Table().SetColWidth(5, 99);
    Form().Button6Click(nullptr);
    EXPECT_EQ(Table().ColCount(), 5);
    Form().Button6Click(nullptr);
    EXPECT_EQ(Table().ColCount(), 5);
    Form().Button5Click(nullptr);
    EXPECT_EQ(Table().ColCount(), 6);
    EXPECT_EQ(Table().ColWidth(5), 64);
    EXPECT_EQ(Table().GetCell(5, 3), Text(5, 3));
}

TEST_F(EditingCommands, DeleteLastColMovesTheCurrentCellOutOfTheRemovedColumn) {
    Table().SetCurrentCell({5, 2});
    Form().Button6Click(nullptr);
    EXPECT_EQ(Table().CurrentCell(), (GridCoord{4, 2}));
}

TEST_F(EditingCommands, DeleteRowThenAddRow) {
    struct Case {
        const char* Name;
        int CurrentRow;
        std::string LastRowAfterAdd; // column 0 of row 4 after delete + add
        std::string RowAfterDelete;  // column 0 of the current row after the delete
    };
    const Case cases[] = {
        {"last row: its texts come back", 4, Text(0, 4), Text(0, 3)},
        {"other row: a second copy of the last row", 2, Text(0, 4), Text(0, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetUp();
        FillTable();
        Table().SetCurrentCell({0, c.CurrentRow});
        Form().Button4Click(nullptr);
        EXPECT_EQ(Table().RowCount(), 4);
        EXPECT_EQ(Table().GetCell(0, Table().CurrentCell().Row), c.RowAfterDelete);
        Form().Button2Click(nullptr);
        EXPECT_EQ(Table().RowCount(), 5);
        EXPECT_EQ(Table().GetCell(0, 4), c.LastRowAfterAdd);
        EXPECT_EQ(Table().GetCell(0, 3), Text(0, 4 == c.CurrentRow ? 3 : 4));
        EXPECT_EQ(Table().CurrentCell().Col, 0);
    }
}

TEST_F(EditingCommands, HiddenColumnsKeepTheirRowsWhenARowIsDeleted) {
    FillTable();
    Form().Button6Click(nullptr);
    Table().SetCurrentCell({0, 1});
    Form().Button4Click(nullptr);
    Form().Button5Click(nullptr);
    EXPECT_EQ(Table().GetCell(5, 1), Text(5, 1));
    EXPECT_EQ(Table().GetCell(0, 1), Text(0, 2));
}

TEST_F(EditingCommands, WithTheHeaderRowEditableItCanBeDeleted) {
    FillTable();
    Click(Form().CheckBox2);
    ASSERT_EQ(Table().FixedRows(), 0);
    Table().SetCurrentCell({0, 0});
    Form().Button4Click(nullptr);
    EXPECT_EQ(Table().GetCell(0, 0), Text(0, 1));
    EXPECT_EQ(Table().RowCount(), 4);
}

TEST_F(EditingCommands, DeletingDownToOneRowFreesTheHeaderRowBehindTheCheckBox) {
    RecordingMessageBox boxes;
    FillTable();
    for (int i = 0; i < 4; ++i) {
        Form().Button4Click(nullptr);
    }
    EXPECT_EQ(Table().RowCount(), 1);
    EXPECT_EQ(Table().FixedRows(), 0);
    EXPECT_EQ(Table().CurrentCell(), (GridCoord{0, 0}));
    EXPECT_FALSE(Form().CheckBox2->isChecked());

    Form().Button4Click(nullptr); // one row left: nothing changes
    EXPECT_EQ(Table().RowCount(), 1);
    EXPECT_EQ(Table().GetCell(0, 0), Text(0, 0));

    Click(Form().CheckBox2); // checked: FixedRows stays 0
    EXPECT_TRUE(Form().CheckBox2->isChecked());
    EXPECT_EQ(Table().FixedRows(), 0);
    Click(Form().CheckBox2); // unchecked: one row cannot be fixed
    EXPECT_FALSE(Form().CheckBox2->isChecked());
    EXPECT_EQ(Table().FixedRows(), 0);
    EXPECT_EQ(boxes.Texts(),
              QStringList{u"Die Anzahl fester Zeilen muss kleiner als die Zeilenanzahl sein."_qs});

    Form().Button2Click(nullptr);
    Click(Form().CheckBox2);
    Click(Form().CheckBox2); // unchecked with two rows: row 0 fixed again
    EXPECT_EQ(Table().FixedRows(), 1);
    EXPECT_EQ(boxes.Boxes().size(), 1U);
}

TEST_F(EditingCommands, FixingTheOnlyColumnFailsAndTheBoxStaysChecked) {
    RecordingMessageBox boxes;
    Table().SetColCount(1);
    Click(Form().CheckBox1);
    EXPECT_TRUE(Form().CheckBox1->isChecked());
    EXPECT_EQ(Table().FixedCols(), 0);
    EXPECT_EQ(
        boxes.Texts(),
        QStringList{u"Die Anzahl fester Spalten muss kleiner als die Spaltenanzahl sein."_qs});
    EXPECT_THROW(Form().CheckBox1Click(nullptr), holiday::EInvalidGridOperation);
}

TEST_F(EditingCommands, TogglingACheckBoxMovesToTheFirstOrdinaryCell) {
    struct Case {
        QCheckBox* Box;
        int FixedCols;
        int FixedRows;
        GridCoord Current;
    };
    const Case cases[] = {
        {Form().CheckBox1, 1, 1, {1, 1}}, // fix the first column
        {Form().CheckBox2, 1, 0, {1, 0}}, // free the header row
        {Form().CheckBox1, 0, 0, {0, 0}},
        {Form().CheckBox2, 0, 1, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Box->objectName().toStdString());
        Table().SetCurrentCell({3, 3});
        Click(c.Box);
        EXPECT_EQ(Table().FixedCols(), c.FixedCols);
        EXPECT_EQ(Table().FixedRows(), c.FixedRows);
        EXPECT_EQ(Table().CurrentCell(), c.Current);
    }
    Click(Form().returndown); // runs no command
    EXPECT_EQ(Table().CurrentCell(), (GridCoord{0, 1}));
}

TEST_F(EditingCommands, EnterMovesRightOrDownWithoutWrapping) {
    struct Case {
        bool Down;
        GridCoord From;
        int Key;
        GridCoord To;
    };
    const Case cases[] = {
        {false, {0, 1}, Qt::Key_Return, {1, 1}}, {false, {5, 1}, Qt::Key_Return, {5, 1}},
        {false, {2, 4}, Qt::Key_Enter, {3, 4}},  {true, {2, 1}, Qt::Key_Return, {2, 2}},
        {true, {2, 4}, Qt::Key_Enter, {2, 4}},   {true, {5, 3}, Qt::Key_Tab, {5, 3}},
        {false, {0, 1}, Qt::Key_Right, {0, 1}},
    };
    for (const Case& c : cases) {
        Form().returndown->setChecked(c.Down);
        Table().SetCurrentCell(c.From);
        int key = c.Key;
        Form().sgKeyDown(Form().sg, key, Qt::ShiftModifier);
        EXPECT_EQ(Table().CurrentCell(), c.To) << c.From.Col << "," << c.From.Row;
        EXPECT_EQ(key, c.Key);
    }
}

TEST_F(EditingCommands, EnterInTheGridMovesThenOpensTheEditorOnTheNewCell) {
    Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    Form().returndown->setChecked(true);
    Table().SetCell(0, 2, "Easter");
    Form().sg->setFocus();
    QTest::keyClick(Form().sg, Qt::Key_Return);
    EXPECT_EQ(Table().CurrentCell(), (GridCoord{0, 2}));
    ASSERT_TRUE(Form().sg->IsEditorOpen());
    EXPECT_EQ(Form().sg->Editor()->selectedText(), u"Easter");
    QTest::keyClick(Form().sg->Editor(), Qt::Key_X);
    EXPECT_EQ(Table().GetCell(0, 2), "x");

    Table().SetCurrentCell({0, 4}); // the last row: Enter opens, then closes the editor
    QTest::keyClick(Form().sg, Qt::Key_Return);
    EXPECT_TRUE(Form().sg->IsEditorOpen());
    QTest::keyClick(Form().sg->Editor(), Qt::Key_Return);
    EXPECT_FALSE(Form().sg->IsEditorOpen());
    EXPECT_EQ(Table().CurrentCell(), (GridCoord{0, 4}));
}

TEST_F(EditingCommands, AButtonClickClosesTheCellEditorFirst) {
    Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    Form().sg->setFocus();
    Form().sg->OpenEditor(HolidayGrid::EditorOpening::SelectAll);
    ASSERT_TRUE(Form().sg->IsEditorOpen());
    Click(Form().Button2);
    EXPECT_FALSE(Form().sg->IsEditorOpen());
    EXPECT_EQ(Table().RowCount(), 6);
}

} // namespace
