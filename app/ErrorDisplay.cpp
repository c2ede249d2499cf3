#include "app/ErrorDisplay.h"

#include "app/ApplicationTitle.h"
#include "app/MessageBoxes.h"
#include "app/ShownText.h"
#include "holiday/Exception.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace app {

namespace {

// The room of the error box on a screen of size: the widest text (the box wraps longer lines,
// also a line without blanks) and the part of the screen's height its text may take.
constexpr int NarrowScreen = 1024; // up to this width the box may be as wide as the screen
constexpr int WideScreenMargin = 480;
constexpr int MaxBoxWidth = 1000;
constexpr int IconAndMargins = 100; // of the box's width and height besides its text

// What of a message the box shows: the whole message when it fits the screen; a message may
// quote a cell's text of any length, which the box would take minutes to lay out and show cut
// at the screen's edge, so a longer one shows its start and its end.
QString ShownMessage(const QString& message, const QWidget* owner) {
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen != nullptr ? screen->availableGeometry().size() : QSize(800, 600);
    const int boxWidth = room.width() <= NarrowScreen
                             ? room.width()
                             : std::min(room.width() - WideScreenMargin, MaxBoxWidth);
    const QFontMetrics metrics(QApplication::font("QMessageBox"));
    const int textWidth = std::max(boxWidth - IconAndMargins, 1);
    const int textHeight = std::max(room.height() * 2 / 3 - IconAndMargins, 1);
    // Counted in the font's widest characters, so that no text of the font wraps into more rows.
    return ElidedToRows(message, textHeight / std::max(metrics.lineSpacing(), 1),
                        textWidth / std::max(metrics.maxWidth(), 1));
}

void ShowCriticalBox(QWidget* owner, const QString& title, const QString& text) {
    RunMessageBox(owner, QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok,
                  QMessageBox::Ok);
}

[[nodiscard]] bool IsAbort(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const holiday::EAbort&) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

ErrorMessageBox& ErrorMessageBoxSeam() {
    static ErrorMessageBox seam = ShowCriticalBox;
    return seam;
}

QString DisplayMessage(const std::exception_ptr& error) {
    return FromUtf8(holiday::DisplayText(error));
}

void ShowException(const std::exception_ptr& error) {
    QWidget* owner = QApplication::activeWindow();
    ErrorMessageBoxSeam()(owner, Title(), ShownMessage(DisplayMessage(error), owner));
}

void HandleException(QObject* /*sender*/, const std::exception_ptr& error) noexcept {
    try {
        if (QWidget* grabber = QWidget::mouseGrabber()) {
            grabber->releaseMouse();
        }
        if (!error || IsAbort(error)) {
            return;
        }
        ShowException(error);
    } catch (...) {
        // The display itself failed (out of memory at the worst moment): nothing is left to
        // show it with, and the program goes on.
    }
}

void RunGuarded(QObject* sender, const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (...) {
        HandleException(sender, std::current_exception());
    }
}

} // namespace app
