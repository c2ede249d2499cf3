#pragma once

#include <QString>
#include <QStringView>

namespace app {

// The caption of every error message box, derived from the program file's name: what follows
// the last "/", cut at its first ".", the first character kept, every further one in lower case
// ("/usr/bin/mirevo-holidays" gives "mirevo-holidays", "DarAvir.Tool.exe" gives "Daravir").
[[nodiscard]] QString TitleFromProgramPath(QStringView path);

// The title of the running program, derived from its file path the first time it is asked for
// (the program asks at start-up) and never changed afterwards. Needs the application object.
[[nodiscard]] const QString& Title();

} // namespace app
