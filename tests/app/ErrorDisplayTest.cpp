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
#include <ostream>
#include <stdexcept>

namespace {

using holiday::EConvertError;
using holiday::Exception;

template <typename Error> std::exception_ptr Make(Error error) {
    return std::make_exception_ptr(std::move(error));
}

std::exception_ptr Chain(const std::string& outer, const std::string& middle,
                         const std::string& inner) {
    return Make(Exception(outer, Make(EConvertError(middle, Make(EConvertError(inner))))));
}

struct FullStopCase {
    const char* Message;
    const char* Shown;
};

void PrintTo(const FullStopCase& c, std::ostream* out) {
    *out << '"' << c.Message << '"';
}

class FullStopRuleTest : public testing::TestWithParam<FullStopCase> {};

TEST_P(FullStopRuleTest, AddsAPointAfterACharacterAboveThePoint) {
    EXPECT_EQ(DisplayMessage(Make(EConvertError(GetParam().Message))),
              QString::fromUtf8(GetParam().Shown));
}

INSTANTIATE_TEST_SUITE_P(
    LastCharacter, FullStopRuleTest,
    testing::Values(FullStopCase{"Fertig.", "Fertig."}, FullStopCase{"Fehler", "Fehler."},
                    FullStopCase{"Wirklich?", "Wirklich?."}, FullStopCase{"Achtung!", "Achtung!"},
                    FullStopCase{"(siehe oben)", "(siehe oben)"}, FullStopCase{"a,", "a,"},
                    FullStopCase{"a-", "a-"}, FullStopCase{"\"zitiert\"", "\"zitiert\""},
                    FullStopCase{"Leerzeichen ", "Leerzeichen "}, FullStopCase{"Pfad /", "Pfad /."},
                    FullStopCase{"Zeile 7", "Zeile 7."}, FullStopCase{"Grund:", "Grund:."},
                    FullStopCase{"groß", "groß."}, FullStopCase{"Ende 😀", "Ende 😀."},
                    FullStopCase{"", ""}));

TEST(InnerErrorChain, AnEmptyOwnMessageGivesWayToTheInnerOne) {
    EXPECT_EQ(DisplayMessage(Make(Exception("", Make(EConvertError("Innen"))))), u"Innen.");
}

TEST(InnerErrorChain, TheInnermostNonEmptyMessageWinsOverTheMiddleOne) {
    EXPECT_EQ(DisplayMessage(Chain("Außen", "Mitte", "Innen")), u"Innen.");
}

TEST(InnerErrorChain, AnEmptyInnermostMessageShowsTheOutermostNotTheMiddle) {
    EXPECT_EQ(DisplayMessage(Chain("Außen", "Mitte", "")), u"Außen.");
}

TEST(InnerErrorChain, ErrorsOfOtherKindsShowTheirText) {
    EXPECT_EQ(DisplayMessage(Make(Exception("Außen", Make(std::runtime_error("io"))))), u"io.");
    EXPECT_EQ(DisplayMessage(Make(std::bad_alloc())),
              QString::fromUtf8(std::bad_alloc().what()) + u'.');
    EXPECT_EQ(DisplayMessage(Make(42)), u"Unbekannter Fehler.");
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
