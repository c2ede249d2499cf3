#pragma once

#include "app/ErrorDisplay.h"

#include <QString>
#include <QWidget>
#include <vector>

namespace app {

// Replaces the error display's message box for the life of the object and records every box
// that would have been shown, so no test waits for a person.
class RecordingMessageBox {
public:
    struct Shown {
        QWidget* Owner;
        QString Title;
        QString Text;
    };

    RecordingMessageBox() : mPrevious(ErrorMessageBoxSeam()) {
        ErrorMessageBoxSeam() = [this](QWidget* owner, const QString& title, const QString& text) {
            mShown.push_back({owner, title, text});
        };
    }
    ~RecordingMessageBox() { ErrorMessageBoxSeam() = mPrevious; }

    RecordingMessageBox(const RecordingMessageBox&) = delete;
    RecordingMessageBox& operator=(const RecordingMessageBox&) = delete;

    [[nodiscard]] const std::vector<Shown>& Boxes() const noexcept { return mShown; }
    [[nodiscard]] QStringList Texts() const {
        QStringList texts;
        for (const Shown& box : mShown) {
            texts.append(box.Text);
        }
        return texts;
    }

private:
    ErrorMessageBox mPrevious;
    std::vector<Shown> mShown;
};

} // namespace app
