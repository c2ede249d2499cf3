#pragma once

#include <QApplication>
#include <functional>

namespace app {

// The application object of the program: every event that escapes with an error goes to
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

} // namespace app
