#pragma once

#include "holiday/WorkProgress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>

class QProgressDialog;
class QWidget;

namespace app {

// The long work of one command (open, save, "test", "autosize col width"), done in the one
// thread in slices: the work calls Advance between its small steps, and every TurnInterval
// Advance lets the events waiting meanwhile run, so that the window repaints and answers the
// window manager. Once the work has lasted ShowDelay, a window-modal QProgressDialog captioned
// like the window shows how far it is, with Cancel; a cancel makes the next Advance return
// false. Before the dialog shows, events run without user input.
//
// While a LongWork lives no other command can start inside it: clicks, keys, wheel turns,
// shortcuts, context menus and drops meant for anything but the progress dialog are dropped; a
// close of the window cancels the work and is done once the command has ended (it is posted);
// and a second LongWork throws EAbort. Construct it on the command's stack, after the command's
// own dialogs are closed; destroying it closes the progress dialog.
class LongWork final : public holiday::WorkProgress {
public:
    // window: the top-level window of the command; label: what the dialog says is being done.
    // Throws EAbort while another LongWork lives.
    LongWork(QWidget* window, QString label);
    ~LongWork() override;
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    [[nodiscard]] bool Advance(std::int64_t done, std::int64_t total) override;
    [[nodiscard]] bool Cancelled() const noexcept { return mCancelled; }
    // Whether the progress dialog is shown.
    [[nodiscard]] bool DialogShown() const noexcept;
    // Whether a LongWork lives.
    [[nodiscard]] static bool Running() noexcept;

    // The timing, and a cancel without a person: tests set them, and put them back.
    struct Settings {
        std::chrono::milliseconds TurnInterval{30};
        std::chrono::milliseconds ShowDelay{500};
        // The work is cancelled at this turn (counted from 1 in each LongWork); 0: never.
        int CancelAtTurn = 0;
    };
    [[nodiscard]] static Settings& TestSettings();

    // Turns so far (each one let the events run).
    [[nodiscard]] int Turns() const noexcept { return mTurns; }

private:
    class InputGuard;

    void Turn(std::int64_t done, std::int64_t total);
    void ShowDialog();

    QPointer<QWidget> mWindow;
    QString mLabel;
    QElapsedTimer mClock;
    std::int64_t mLastTurn = 0; // milliseconds on mClock
    int mTurns = 0;
    bool mCancelled = false;
    bool mClosePending = false;
    std::unique_ptr<InputGuard> mGuard;
    QPointer<QProgressDialog> mDialog;
};

} // namespace app
