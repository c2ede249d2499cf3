#include "app/MirevoApplication.h"

#include "app/ErrorDisplay.h"

namespace app {

namespace {

std::atomic<int> gErrorsCaughtByNotify{0};

} // namespace

MirevoApplication::MirevoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool MirevoApplication::notify(QObject* receiver, QEvent* event) {
    return DeliverGuarded(receiver, [&] { return QApplication::notify(receiver, event); });
}

bool DeliverGuarded(QObject* receiver, const std::function<bool()>& deliver) noexcept {
    try {
        return deliver();
    } catch (...) {
        ++gErrorsCaughtByNotify;
        HandleException(receiver, std::current_exception());
        return false;
    }
}

int ErrorsCaughtByNotify() noexcept {
    return gErrorsCaughtByNotify.load();
}

} // namespace app
