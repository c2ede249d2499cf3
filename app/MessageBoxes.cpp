#include "app/MessageBoxes.h"

#include "app/ApplicationTitle.h"
#include "holiday/ReadLosses.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace app {

QMessageBox::StandardButton RunMessageBox(QWidget* owner, QMessageBox::Icon icon,
                                          const QString& title, const QString& text,
                                          QMessageBox::StandardButtons buttons,
                                          QMessageBox::StandardButton defaultButton,
                                          QMessageBox::StandardButton escapeButton) {
    QPointer<QWidget> focused = QApplication::focusWidget();
    QPointer<QWidget> active = QApplication::activeWindow();
    QMessageBox box(icon, title, text, buttons, owner);
    // Messages quote texts of the file ("<b>1.1</b>"), which must show as they are.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(escapeButton);
    box.exec();
    if (active) {
        active->activateWindow();
    }
    if (focused) {
        focused->setFocus(Qt::OtherFocusReason);
    }
    QAbstractButton* clicked = box.clickedButton();
    return clicked != nullptr ? box.standardButton(clicked) : escapeButton;
}

namespace {

void ShowWarningBox(QWidget* owner, const QString& title, const QString& text) {
    RunMessageBox(owner, QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok,
                  QMessageBox::Ok);
}

bool AskQuestionBox(QWidget* owner, const QString& title, const QString& text) {
    return RunMessageBox(owner, QMessageBox::Warning, title, text,
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                         QMessageBox::No) == QMessageBox::Yes;
}

} // namespace

WarningMessageBox& WarningMessageBoxSeam() {
    static WarningMessageBox seam = ShowWarningBox;
    return seam;
}

QuestionMessageBox& QuestionMessageBoxSeam() {
    static QuestionMessageBox seam = AskQuestionBox;
    return seam;
}

void ShowReadLosses(const std::string& shownPath, const holiday::ReadLosses& losses) {
    WarningMessageBoxSeam()(QApplication::activeWindow(), Title(),
                            QString::fromStdString(holiday::LossNotice(shownPath, losses)));
}

bool ConfirmReplacingLossyFile(const std::string& shownPath) {
    return QuestionMessageBoxSeam()(
        QApplication::activeWindow(), Title(),
        QString::fromStdString(holiday::ReplaceLossyFileQuestion(shownPath)));
}

} // namespace app
