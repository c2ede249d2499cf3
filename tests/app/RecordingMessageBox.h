#pragma once

#include "app/ErrorDisplay.h"
#include "app/MessageBoxes.h"

#include <QString>
#include <QWidget>
#include <vector>

namespace app {

// Replaces the window's message boxes for the life of the object and records every box that
// would have been shown, so no test waits for a person: the error boxes (Boxes, Texts), the
// warnings (Warnings) and the questions (Questions), which it answers with AnswerQuestions'
// answer (Yes unless told otherwise).
class RecordingMessageBox {
public:
    struct Shown {
        QWidget* Owner;
        QString Title;
        QString Text;
    };

    RecordingMessageBox()
        : mPrevious(ErrorMessageBoxSeam()), mPreviousWarning(WarningMessageBoxSeam()),
          mPreviousQuestion(QuestionMessageBoxSeam()) {
        ErrorMessageBoxSeam() = [this](QWidget* owner, const QString& title, const QString& text) {
            mShown.push_back({owner, title, text});
        };
        WarningMessageBoxSeam() = [this](QWidget* owner, const QString& title,
                                         const QString& text) {
            mWarnings.push_back({owner, title, text});
        };
        QuestionMessageBoxSeam() = [this](QWidget* owner, const QString& title,
                                          const QString& text) {
            mQuestions.push_back({owner, title, text});
            return mAnswer;
        };
    }
    ~RecordingMessageBox() {
        ErrorMessageBoxSeam() = mPrevious;
        WarningMessageBoxSeam() = mPreviousWarning;
        QuestionMessageBoxSeam() = mPreviousQuestion;
    }

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
    [[nodiscard]] const std::vector<Shown>& Warnings() const noexcept { return mWarnings; }
    [[nodiscard]] const std::vector<Shown>& Questions() const noexcept { return mQuestions; }
    void AnswerQuestions(bool yes) noexcept { mAnswer = yes; }

private:
    ErrorMessageBox mPrevious;
    WarningMessageBox mPreviousWarning;
    QuestionMessageBox mPreviousQuestion;
    std::vector<Shown> mShown;
    std::vector<Shown> mWarnings;
    std::vector<Shown> mQuestions;
    bool mAnswer = true;
};

} // namespace app
