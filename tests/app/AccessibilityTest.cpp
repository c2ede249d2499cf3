#include "FormTestSupport.h"
#include "app/HolidayGrid.h"
#include "app/HolidayGridAccessible.h"
#include "app/ReportMemo.h"
#include "app/ShownText.h"

#include <QAccessible>
#include <QLineEdit>
#include <QTest>
#include <vector>

using namespace app;

namespace {

// Every accessibility event the grid raises, while a test listens. (Offscreen, Qt itself has no
// bridge to pass events to.)
std::vector<std::pair<QAccessible::Event, QString>>& Events() {
    static std::vector<std::pair<QAccessible::Event, QString>> events;
    return events;
}

class Accessibility : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        HolidayGridAccessible::EventSinkSeam() = [](QAccessibleEvent* event) {
            QAccessibleInterface* iface = event->accessibleInterface();
            Events().emplace_back(event->type(),
                                  iface != nullptr ? iface->text(QAccessible::Name) : QString());
        };
        Form().show();
        QApplication::setActiveWindow(&Form());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
        Form().sg->setFocus();
        Events().clear();
    }
    void TearDown() override {
        HolidayGridAccessible::EventSinkSeam() = nullptr;
        FormTest::TearDown();
    }

    [[nodiscard]] QAccessibleInterface* Grid() {
        return QAccessible::queryAccessibleInterface(Form().sg);
    }
    [[nodiscard]] static bool Raised(QAccessible::Event type, const QString& name = {}) {
        for (const auto& [event, text] : Events()) {
            if (event == type && (name.isNull() || text == name)) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(Accessibility, TheGridIsATableOfItsCellsWithTheCurrentCellFocused) {
    QAccessibleInterface* grid = Grid();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->role(), QAccessible::Table);
    EXPECT_EQ(grid->text(QAccessible::Name), u"holiday table");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Form().Memo1)->text(QAccessible::Name),
              u"report");
    QAccessibleTableInterface* table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    Table().SetCell(2, 3, "30.11");
    Table().SetCell(2, 0, "Datum");
    EXPECT_EQ(table->rowCount(), 5);
    EXPECT_EQ(table->columnCount(), 6);
    EXPECT_EQ(grid->childCount(), 30);

    QAccessibleInterface* cell = table->cellAt(3, 2);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), u"30.11");
    EXPECT_EQ(cell->text(QAccessible::Value), u"30.11");
    EXPECT_EQ(grid->child(3 * 6 + 2), cell);
    EXPECT_EQ(grid->indexOfChild(cell), 3 * 6 + 2);
    EXPECT_EQ(grid->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
    EXPECT_EQ(table->cellAt(0, 2)->role(), QAccessible::ColumnHeader); // row 0 while fixed
    EXPECT_EQ(cell->tableCellInterface()->columnHeaderCells().value(0), table->cellAt(0, 2));
    EXPECT_EQ(table->columnDescription(2), u"Datum");

    EXPECT_EQ(grid->focusChild(), table->cellAt(1, 0));
    EXPECT_TRUE(table->cellAt(1, 0)->state().focused);
    QTest::keyClick(Form().sg, Qt::Key_Right, Qt::ShiftModifier); // selects (0..1, 1)
    EXPECT_EQ(table->selectedCellCount(), 2);
    EXPECT_TRUE(table->cellAt(1, 1)->state().selected);

    Form().sg->OpenEditor(HolidayGrid::EditorOpening::SelectAll);
    QAccessibleInterface* current = table->cellAt(1, 0);
    ASSERT_EQ(current->childCount(), 1);
    QAccessibleInterface* editor = current->child(0);
    EXPECT_EQ(editor->object(), Form().sg->Editor());
    EXPECT_EQ(editor->parent(), current); // the tree reads the same both ways
    EXPECT_EQ(current->indexOfChild(editor), 0);
    EXPECT_EQ(grid->focusChild(), editor);
    EXPECT_EQ(editor->role(), QAccessible::EditableText);
    ASSERT_NE(editor->editableTextInterface(), nullptr);
    editor->editableTextInterface()->insertText(0, QStringLiteral("Ost"));
    EXPECT_EQ(Table().GetCell(0, 1), "Ost");
    EXPECT_EQ(editor->textInterface()->text(0, 3), u"Ost");
}

TEST_F(Accessibility, AHugeCellShowsTheStartOfItsText) {
    Table().SetCell(2, 3, std::string(100'000, '9'));
    const QString name = Grid()->tableInterface()->cellAt(3, 2)->text(QAccessible::Name);
    EXPECT_EQ(name, QString(10'000, u'9') + QChar(Ellipsis));
    EXPECT_TRUE(Raised(QAccessible::ValueChanged, name));
}

TEST_F(Accessibility, MovesTextsAndCountsRaiseTheEventsAScreenReaderFollows) {
    QTest::keyClick(Form().sg, Qt::Key_Down);
    EXPECT_TRUE(Raised(QAccessible::Focus));
    EXPECT_EQ(Grid()->focusChild(), Grid()->tableInterface()->cellAt(2, 0));

    Table().SetCell(1, 2, "Ostermontag");
    EXPECT_TRUE(Raised(QAccessible::ValueChanged, QStringLiteral("Ostermontag")));
    EXPECT_TRUE(Raised(QAccessible::NameChanged, QStringLiteral("Ostermontag")));

    Form().Button2Click(nullptr); // add row
    EXPECT_TRUE(Raised(QAccessible::TableModelChanged));
    EXPECT_EQ(Grid()->tableInterface()->rowCount(), 6);
}

} // namespace
