#pragma once

#include <QString>
#include <string>

namespace app {

// File paths between the core, which keeps a path as the bytes the file system takes, and Qt,
// which holds it decoded as QFile decodes file names. A path that the user typed or that Qt
// found goes to the core through PathToStdString, and back through PathToQString.
[[nodiscard]] QString PathToQString(const std::string& path);
[[nodiscard]] std::string PathToStdString(const QString& path);

} // namespace app
