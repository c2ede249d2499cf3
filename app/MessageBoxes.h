#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <string>

namespace holiday {
struct ReadLosses;
}

namespace app {

// Runs a modal message box of icon and buttons with text as plain text (never markup), owned
// by owner (may be null), and returns the button the user chose (escapeButton when the box
// was closed). The keyboard focus goes back to the control that had it once the box is closed.
QMessageBox::StandardButton RunMessageBox(QWidget* owner, QMessageBox::Icon icon,
                                          const QString& title, const QString& text,
                                          QMessageBox::StandardButtons buttons,
                                          QMessageBox::StandardButton defaultButton,
                                          QMessageBox::StandardButton escapeButton);

// The window's notices and its one question, captioned Title() and owned by the active window.
// Tests replace them so that no box waits for a person.
using WarningMessageBox =
    std::function<void(QWidget* owner, const QString& title, const QString& text)>;
// True for Yes.
using QuestionMessageBox =
    std::function<bool(QWidget* owner, const QString& title, const QString& text)>;
[[nodiscard]] WarningMessageBox& WarningMessageBoxSeam();
[[nodiscard]] QuestionMessageBox& QuestionMessageBoxSeam();

// Tells the user, in a warning box, what the open of the file at shownPath left out.
void ShowReadLosses(const std::string& shownPath, const holiday::ReadLosses& losses);

// Asks, before a save replaces the file at shownPath that was read with losses, whether to go
// on: Yes replaces, No (the default) and Escape keep the file.
[[nodiscard]] bool ConfirmReplacingLossyFile(const std::string& shownPath);

} // namespace app
