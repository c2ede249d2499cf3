#pragma once

#include <QString>
#include <exception>
#include <functional>

class QObject;
class QWidget;

namespace app {

// The one place where failures reach the user. Every event handler of the window, the show
// handler and each turn of the event loop hand an escaping error to HandleException; the
// program then goes on with the next event.

// Shows a modal critical message box with one OK button and text as plain text (never markup),
// owned by owner (may be null). Tests replace it so that no box waits for a person; the default
// one gives the keyboard focus back to the control that had it once the box is closed.
using ErrorMessageBox =
    std::function<void(QWidget* owner, const QString& title, const QString& text)>;
[[nodiscard]] ErrorMessageBox& ErrorMessageBoxSeam();

// The message of an error as the user sees it: holiday::DisplayText(error).
[[nodiscard]] QString DisplayMessage(const std::exception_ptr& error);

// The top-level handler: cancels any mouse capture, ignores holiday::EAbort and shows every
// other error with ShowException. sender (the object in whose event the error arose) is not
// read. Never throws.
void HandleException(QObject* sender, const std::exception_ptr& error) noexcept;

// Shows DisplayMessage(error) in the message box, captioned Title(), owned by the active window.
// The message shows whole (the box wraps its long lines, also those without blanks) unless it
// would not fit the screen in the box's font: then only what fits reaches the box, its first
// and last lines with a line "…" between them, and a line too long for the screen its start
// and its end with "…" between them.
void ShowException(const std::exception_ptr& error);

// Runs handler; an error escaping it goes to HandleException(sender, ...).
void RunGuarded(QObject* sender, const std::function<void()>& handler) noexcept;

// A callable for a signal connection that runs handler under RunGuarded.
template <typename Handler> [[nodiscard]] auto Guarded(QObject* sender, Handler handler) {
    return [sender, handler = std::move(handler)]() { RunGuarded(sender, handler); };
}

} // namespace app
