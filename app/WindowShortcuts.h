#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

namespace app {

// The keys of the window's own commands. They work wherever the focus is in the window and do
// nothing while a modal dialog or message box is up; none of them closes the window. The
// window binds them, the buttons' tooltips and the help window name them from here.
[[nodiscard]] QList<QKeySequence> OpenKeys(); // "open hol file": Ctrl+O
[[nodiscard]] QList<QKeySequence> SaveKeys(); // "save hol file": Ctrl+S
[[nodiscard]] QList<QKeySequence> TestKeys(); // "test": Ctrl+T and F9
[[nodiscard]] QList<QKeySequence> HelpKeys(); // the help window: F1

// keys as the desktop writes them (QKeySequence::NativeText), joined by ", ".
[[nodiscard]] QString KeysText(const QList<QKeySequence>& keys);
// The keys the platform binds to a standard command (copy, undo ...), written likewise.
[[nodiscard]] QString KeysText(QKeySequence::StandardKey key);

} // namespace app
