#include "app/ErrorDisplay.h"

#include "app/ApplicationTitle.h"
#include "app/MessageBoxes.h"
#include "app/ShownText.h"
#include "holiday/Exception.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace app {

namespace {

// What of a message the box shows: a message may quote a cell's text of any length, which the
// box would take minutes to lay out and show cut at its right edge.
constexpr qsizetype MaxShownLines = 15;
constexpr qsizetype MaxShownLineLength = 100; // characters; fits a box of ordinary width

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
    return QString::fromUtf8(holiday::DisplayText(error));
}

void ShowException(const std::exception_ptr& error) {
    QWidget* owner = QApplication::activeWindow();
    ErrorMessageBoxSeam()(owner, Title(),
                          ElidedText(DisplayMessage(error), MaxShownLines, MaxShownLineLength));
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
