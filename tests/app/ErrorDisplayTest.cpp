#include "app/ErrorDisplay.h"

#include "RecordingMessageBox.h"
#include "app/ApplicationTitle.h"
#include "app/MirevoApplication.h"
#include "app/ShownText.h"
#include "holiday/Exception.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
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

// The text and format of the real message box that ShowException shows for error, closed as
// soon as it is on the screen; an empty text when no box showed.
struct ShownBox {
    QString Text;
    Qt::TextFormat Format = Qt::RichText;
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
                shown = {box->text(), label != nullptr ? label->textFormat() : box->textFormat()};
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

TEST(ErrorBox, AHugeMessageShowsItsStartAndItsEnd) {
    const struct {
        const char* Name;
        std::string Quoted;
    } cases[] = {
        {"many lines",
         [] {
             std::string lines;
             for (int i = 0; i < 2'500'000; ++i) {
                 lines += "x\n";
             }
             return lines;
         }()},
        {"one huge line", std::string(5'000'000, '9')},
    };
    for (const auto& c : cases) {
        const std::string message =
            std::string("'").append(c.Quoted).append("' ist kein gültiges Datum");
        // A few short lines, whatever the message's size; the time the box takes is measured
        // in bench/AppHugeCellBench.cpp.
        const ShownBox shown = ShowInTheRealBox(Make(EConvertError(message)));
        EXPECT_EQ(shown.Text.left(2), QString::fromStdString(message.substr(0, 2))) << c.Name;
        EXPECT_TRUE(shown.Text.endsWith(u"' ist kein gültiges Datum.")) << c.Name;
        EXPECT_TRUE(shown.Text.contains(Ellipsis)) << c.Name;
        EXPECT_LT(shown.Text.size(), 2000) << c.Name;
    }
}

} // namespace
