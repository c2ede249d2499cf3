#include "app/ErrorDisplay.h"

#include "FormTestSupport.h"
#include "RecordingMessageBox.h"
#include "app/ApplicationTitle.h"
#include "app/HolidayGrid.h"
#include "app/MirevoApplication.h"
#include "app/ShownText.h"
#include "holiday/Exception.h"
#include "holiday/HolidayTableObserver.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

using namespace app;

namespace {

using holiday::EConvertError;
using holiday::Exception;

template <typename Error> std::exception_ptr Make(Error error) {
    return std::make_exception_ptr(std::move(error));
}

TEST(HandleException, ShowsTheMessageCaptionedWithTheTitleOwnedByTheActiveWindow) {
    RecordingMessageBox boxes;
    HandleException(nullptr, Make(EConvertError("''x'' ist kein gültiger Integer-Wert")));
    ASSERT_EQ(boxes.Boxes().size(), 1U);
    EXPECT_EQ(boxes.Boxes()[0].Title, Title());
    EXPECT_EQ(boxes.Boxes()[0].Text, u"''x'' ist kein gültiger Integer-Wert.");
    EXPECT_EQ(boxes.Boxes()[0].Owner, QApplication::activeWindow());
}

TEST(HandleException, TheSilentAbortShowsNothing) {
    RecordingMessageBox boxes;
    HandleException(nullptr, Make(holiday::EAbort("nie gezeigt")));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(HandleException, ReleasesAMouseCapture) {
    RecordingMessageBox boxes;
    QWidget widget;
    widget.show();
    widget.grabMouse();
    ASSERT_EQ(QWidget::mouseGrabber(), &widget);
    HandleException(&widget, Make(holiday::EAbort("")));
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST(Guards, ErrorsOfHandlersAndEventsReachTheDisplayAndGoNoFurther) {
    RecordingMessageBox boxes;
    RunGuarded(nullptr, [] { throw EConvertError("Handler"); });
    Guarded(nullptr, [] { throw std::bad_alloc(); })();
    const bool handled = DeliverGuarded(nullptr, []() -> bool { throw Exception("Ereignis"); });
    EXPECT_FALSE(handled);
    EXPECT_TRUE(DeliverGuarded(nullptr, [] { return true; }));
    ASSERT_EQ(boxes.Texts().size(), 3);
    EXPECT_EQ(boxes.Texts()[0], u"Handler.");
    EXPECT_EQ(boxes.Texts()[2], u"Ereignis.");
}

// A table whose observer fails at one kind of notification, as a full memory would.
class FailingObserver : public holiday::HolidayTableObserver {
public:
    enum class At { Nothing, Cells, CurrentCell, RowHeight };
    At Failing = At::Nothing;

private:
    void Fail(At at) const {
        if (at == Failing) {
            throw holiday::EInvalidGridOperation("Gitter zu groß für Operation");
        }
    }
    void CellsChanged(holiday::GridCoord, holiday::GridCoord) override { Fail(At::Cells); }
    void CurrentCellMoved(holiday::GridCoord, bool) override { Fail(At::CurrentCell); }
    void RowHeightChanged(std::int32_t) override { Fail(At::RowHeight); }
};

class GuardedEntries : public FormTest {};

// Every known error that arises while Qt delivers an event or a signal (the grid's events, the
// editor's signals, the menu's actions, the form's key handler) reaches the error display from
// the handler where it arose: none crosses Qt's frames to the application's last resort.
TEST_F(GuardedEntries, KnownErrorsReachTheDisplayWithoutCrossingQt) {
    Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    HolidayGrid* grid = Form().sg;
    Table().SetFixedCols(1);
    const auto key = [&](Qt::Key k) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : grid, k);
    };
    const auto cellCentre = [&](holiday::GridCoord cell) {
        QCoreApplication::processEvents();
        return grid->CellRect(cell).center();
    };
    using At = FailingObserver::At;
    struct Case {
        const char* name;
        std::function<void()> before; // with the table working
        At failing;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"typing opens the editor and writes", [] {}, At::Cells, [&] { key(Qt::Key_X); }},
        {"Backspace in the open editor", [&] { key(Qt::Key_F2); }, At::Cells,
         [&] { key(Qt::Key_Backspace); }},
        {"an arrow key", [] {}, At::CurrentCell, [&] { key(Qt::Key_Down); }},
        {"Enter through the form's handler", [] {}, At::CurrentCell, [&] { key(Qt::Key_Return); }},
        {"a click on another cell", [] {}, At::CurrentCell,
         [&] {
             QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre({3, 3}));
         }},
        {"dragging a row border", [] {}, At::RowHeight,
         [&] {
             const QRect row = grid->CellRect({0, 1});
             const QPoint border(row.center().x(), row.bottom() + 1);
             QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, border);
             QTest::mouseMove(grid->viewport(), border + QPoint(0, 5));
             QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, border + QPoint(0, 5));
         }},
        {"the editor menu's Undo", [&] { key(Qt::Key_F2), key(Qt::Key_A); }, At::Cells,
         [&] {
             QLineEdit* editor = grid->Editor();
             QContextMenuEvent open(QContextMenuEvent::Keyboard, editor->rect().center(),
                                    editor->mapToGlobal(editor->rect().center()));
             QCoreApplication::sendEvent(editor, &open);
             auto* menu = editor->findChild<QMenu*>();
             ASSERT_NE(menu, nullptr);
             for (QAction* action : menu->actions()) {
                 if (action->objectName() == u"edit-undo") {
                     action->trigger();
                 }
             }
             delete menu;
         }},
    };
    FailingObserver observer;
    Table().AddObserver(&observer);
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        observer.Failing = At::Nothing;
        grid->CloseEditor();
        grid->setFocus();
        Table().SetCurrentCell({2, 2});
        tc.before();
        RecordingMessageBox boxes;
        const int caught = ErrorsCaughtByNotify();
        observer.Failing = tc.failing;
        tc.act();
        observer.Failing = At::Nothing;
        EXPECT_EQ(ErrorsCaughtByNotify(), caught);
        EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("Gitter zu groß für Operation.")});
    }
    Table().RemoveObserver(&observer);
}

// The text and format of the real message box that ShowException shows for error, closed as
// soon as it is on the screen; an empty text when no box showed.
struct ShownBox {
    QString Text;
    Qt::TextFormat Format = Qt::RichText;
    bool FitsScreen = false; // the box is no larger than its screen's free area
};
ShownBox ShowInTheRealBox(const std::exception_ptr& error) {
    QWidget owner;
    owner.show();
    QApplication::setActiveWindow(&owner);
    ShownBox shown;
    int tries = 0;
    QTimer finder;
    QObject::connect(&finder, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box != nullptr && box->isVisible()) {
                const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                const QRect screen = box->screen()->availableGeometry();
                shown = {box->text(), label != nullptr ? label->textFormat() : box->textFormat(),
                         box->width() <= screen.width() && box->height() <= screen.height()};
                box->close();
                return;
            }
        }
        if (++tries > 100) {
            finder.stop(); // no box: the test fails instead of waiting
        }
    });
    finder.start(10);
    ShowException(error);
    return shown;
}

TEST(ErrorBox, ShowsAFilesTextAsItIsNeverAsMarkup) {
    const QString message = QStringLiteral("'<b>1.1</b> &amp; <i>x</i>' ist kein gültiges Datum.");
    const ShownBox shown = ShowInTheRealBox(Make(EConvertError(message.toStdString())));
    EXPECT_EQ(shown.Text, message);
    EXPECT_EQ(shown.Format, Qt::PlainText);
}

TEST(ErrorBox, ShowsOrdinaryMessagesWholeAndOfAHugeOneItsStartAndItsEndWithinTheScreen) {
    const std::string folder = "/srv/Eigene Dateien/Feiertage 2026/Bayern und Baden-Württemberg/";
    const struct {
        const char* Name;
        std::string Message;
        bool Whole;
    } cases[] = {
        {"a long path",
         "Datei \"" + folder +
             "Schulferien und bewegliche Feiertage der Jahre 2026 bis 2030 (Entwurf).hol\" kann "
             "nicht erstellt werden. Permission denied.",
         true},
        {"a path without blanks",
         "Datei \"/srv/" + std::string(40, 'x') + "/" + std::string(120, 'y') +
             "/Feiertage_2026.hol\" kann nicht geöffnet werden. No such file or directory.",
         true},
        {"a few lines",
         "'1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16' ist kein gültiges Datum.", true},
        {"many lines",
         [] {
             std::string lines = "'";
             for (int i = 0; i < 2'500'000; ++i) {
                 lines += "x\n";
             }
             return lines + "' ist kein gültiges Datum.";
         }(),
         false},
        {"many long lines",
         [] {
             std::string lines = "'";
             for (int i = 0; i < 2'000; ++i) {
                 lines += std::string(3'000, 'w') + "\n";
             }
             return lines + "' ist kein gültiges Datum.";
         }(),
         false},
        {"one huge line", "'" + std::string(5'000'000, '9') + "' ist kein gültiges Datum.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        // The time the box takes for a huge one is measured in bench/AppHugeCellBench.cpp.
        const ShownBox shown = ShowInTheRealBox(Make(EConvertError(c.Message)));
        EXPECT_TRUE(shown.FitsScreen);
        if (c.Whole) {
            EXPECT_EQ(shown.Text, QString::fromStdString(c.Message));
            continue;
        }
        EXPECT_EQ(shown.Text.left(2), QString::fromStdString(c.Message.substr(0, 2)));
        EXPECT_TRUE(shown.Text.endsWith(u"' ist kein gültiges Datum."));
        EXPECT_TRUE(shown.Text.contains(Ellipsis));
    }
}

} // namespace
