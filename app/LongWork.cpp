#include "app/LongWork.h"

#include "holiday/Exception.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace app {

namespace {

LongWork* gRunning = nullptr;

// The steps of the dialog's bar.
constexpr int BarSteps = 1000;

bool IsInput(QEvent::Type type) noexcept {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

} // namespace

// Keeps every command out while the work runs; see LongWork.
class LongWork::InputGuard : public QObject {
public:
    explicit InputGuard(LongWork& work) : mWork(work) { qApp->installEventFilter(this); }
    ~InputGuard() override { qApp->removeEventFilter(this); }
    InputGuard(const InputGuard&) = delete;
    InputGuard& operator=(const InputGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Close && watched == mWork.mWindow) {
            // Closed once the command has ended: the window's handlers are on the stack.
            event->ignore();
            mWork.mClosePending = true;
            mWork.mCancelled = true;
            return true;
        }
        if (!IsInput(type)) {
            return false;
        }
        return !InDialog(watched);
    }

private:
    [[nodiscard]] bool InDialog(QObject* watched) const {
        const QProgressDialog* dialog = mWork.mDialog;
        if (dialog == nullptr) {
            return false;
        }
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            return widget == dialog || dialog->isAncestorOf(widget);
        }
        if (auto* window = qobject_cast<QWindow*>(watched)) {
            return window == dialog->windowHandle();
        }
        return false;
    }

    LongWork& mWork;
};

LongWork::Settings& LongWork::TestSettings() {
    static Settings settings;
    return settings;
}

LongWork::LongWork(QWidget* window, QString label) : mWindow(window), mLabel(std::move(label)) {
    if (gRunning != nullptr) {
        throw holiday::EAbort(std::string());
    }
    mGuard = std::make_unique<InputGuard>(*this);
    gRunning = this;
    mClock.start();
}

LongWork::~LongWork() {
    gRunning = nullptr;
    mGuard.reset();
    if (mTurns > 0) {
        QGuiApplication::restoreOverrideCursor();
    }
    delete mDialog.data();
    if (mClosePending && mWindow) {
        QTimer::singleShot(0, mWindow.data(), [window = mWindow] {
            if (window) {
                window->close();
            }
        });
    }
}

bool LongWork::Running() noexcept {
    return gRunning != nullptr;
}

bool LongWork::DialogShown() const noexcept {
    return mDialog && mDialog->isVisible();
}

bool LongWork::Advance(std::int64_t done, std::int64_t total) {
    if (!mCancelled && mClock.elapsed() - mLastTurn >= TestSettings().TurnInterval.count()) {
        Turn(done, total);
    }
    return !mCancelled;
}

void LongWork::Turn(std::int64_t done, std::int64_t total) {
    const Settings& settings = TestSettings();
    if (++mTurns == 1) {
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    }
    if (settings.CancelAtTurn > 0 && mTurns >= settings.CancelAtTurn) {
        mCancelled = true;
    }
    if (!mDialog && mWindow && mClock.elapsed() >= settings.ShowDelay.count()) {
        ShowDialog();
    }
    if (mDialog) {
        if (total > 0) {
            const double part = static_cast<double>(std::clamp<std::int64_t>(done, 0, total)) /
                                static_cast<double>(total);
            mDialog->setValue(static_cast<int>(part * BarSteps));
        } else if (mDialog->maximum() != 0) {
            mDialog->setRange(0, 0); // how much is left is not known
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    } else {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    mLastTurn = mClock.elapsed();
}

void LongWork::ShowDialog() {
    auto* dialog = new QProgressDialog(mWindow);
    dialog->setObjectName(QStringLiteral("LongWorkProgress"));
    dialog->setWindowTitle(mWindow->window()->windowTitle());
    dialog->setLabelText(mLabel);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    dialog->setMinimumDuration(0);
    dialog->setRange(0, BarSteps);
    QObject::connect(dialog, &QProgressDialog::canceled, dialog, [this] { mCancelled = true; });
    QObject::connect(dialog, &QDialog::rejected, dialog, [this] { mCancelled = true; });
    mDialog = dialog;
    dialog->show();
}

} // namespace app
