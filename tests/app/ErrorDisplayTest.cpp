#include "app/ErrorDisplay.h"

#include "RecordingMessageBox.h"
#include "app/ApplicationTitle.h"
#include "app/MirevoApplication.h"
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

TEST(ErrorBox, ShowsAFilesTextAsItIsNeverAsMarkup) {
    QWidget owner;
    owner.show();
    QApplication::setActiveWindow(&owner);
    const QString message = QStringLiteral("'<b>1.1</b> &amp; <i>x</i>' ist kein gültiges Datum.");
    QString shown;
    Qt::TextFormat format = Qt::RichText;
    int tries = 0;
    QTimer finder;
    QObject::connect(&finder, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box != nullptr && box->isVisible()) {
                const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                shown = box->text();
                format = label != nullptr ? label->textFormat() : box->textFormat();
                box->close();
                return;
            }
        }
        if (++tries > 100) {
            finder.stop(); // no box: the test fails instead of waiting
        }
    });
    finder.start(10);
    ShowException(Make(EConvertError(message.toStdString())));
    finder.stop();
    EXPECT_EQ(shown, message);
    EXPECT_EQ(format, Qt::PlainText);
}

} // namespace
