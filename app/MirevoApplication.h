#pragma once

#include <QApplication>
#include <atomic>
#include <functional>

namespace app {

// The application object of the program. Every entry from Qt into the program's code (event
// handlers, slots, callables given to connect) runs under RunGuarded, so no error crosses one
// of Qt's frames; notify is only the last resort for an error that escapes anyway: it goes to
// HandleException, and the event loop goes on with the next event.
class MirevoApplication : public QApplication {
    Q_OBJECT
public:
    MirevoApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Delivers one event through deliver; an error escaping it is handed to HandleException with
// receiver as sender, and the event then counts as not handled.
[[nodiscard]] bool DeliverGuarded(QObject* receiver, const std::function<bool()>& deliver) noexcept;

// How many errors DeliverGuarded has caught since the program started: an error that reached
// it crossed Qt's frames first, so this stays 0 for every error the program knows of.
[[nodiscard]] int ErrorsCaughtByNotify() noexcept;

} // namespace app
