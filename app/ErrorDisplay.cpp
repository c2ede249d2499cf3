#include "app/ErrorDisplay.h"

#include "app/ApplicationTitle.h"
#include "app/DisplayText.h"
#include "holiday/Exception.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace {

constexpr int MaxInnerDepth = 10'000;    // a guard against a chain that loops back on itself
constexpr qsizetype MaxShownLine = 1000; // characters of a message line the box shows

void ShowCriticalBox(QWidget* owner, const QString& title, const QString& text) {
    QPointer<QWidget> focused = QApplication::focusWidget();
    QPointer<QWidget> active = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, owner);
    box.exec();
    if (active) {
        active->activateWindow();
    }
    if (focused) {
        focused->setFocus(Qt::OtherFocusReason);
    }
}

// The error's own message and, for our kinds, the error it wraps.
struct ChainLink {
    QString Message;
    std::exception_ptr Inner;
};

ChainLink ReadLink(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const holiday::Exception& e) {
        return {QString::fromUtf8(e.what()), e.InnerException()};
    } catch (const std::exception& e) {
        return {QString::fromUtf8(e.what()), nullptr};
    } catch (...) {
        return {QStringLiteral("Unbekannter Fehler"), nullptr};
    }
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

QString WithFullStop(const QString& msg) {
    if (msg.isEmpty()) {
        return msg;
    }
    char32_t last = msg.back().unicode();
    if (msg.size() >= 2 && msg.back().isLowSurrogate() &&
        msg.at(msg.size() - 2).isHighSurrogate()) {
        last = QChar::surrogateToUcs4(msg.at(msg.size() - 2), msg.back());
    }
    return last > U'.' ? msg + u'.' : msg;
}

QString DisplayMessage(const std::exception_ptr& error) {
    ChainLink link = ReadLink(error);
    QString msg = link.Message;
    if (link.Inner) {
        for (int depth = 0; link.Inner && depth < MaxInnerDepth; ++depth) {
            link = ReadLink(link.Inner);
        }
        if (!link.Message.isEmpty()) {
            msg = link.Message;
        }
    }
    return WithFullStop(msg);
}

void ShowException(const std::exception_ptr& error) {
    QWidget* owner = QApplication::activeWindow();
    // A message may quote a cell's text of any length; the box shows long lines shortened.
    ErrorMessageBoxSeam()(owner, Title(), ElideLongLines(DisplayMessage(error), MaxShownLine));
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
