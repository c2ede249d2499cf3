#pragma once

#include <optional>
#include <string>

class QMimeData;

namespace app {

// The local path of a drag that carries exactly one local file named "*.hol" (any case), as
// file managers offer it (a file:// URL); nullopt for every other drag: several files, a
// remote URL, a folder name, another extension, plain text.
[[nodiscard]] std::optional<std::string> DroppedHolidayFile(const QMimeData* data);

// The same for exactly one local file named "*.ics" (any case): a calendar to import.
[[nodiscard]] std::optional<std::string> DroppedCalendarFile(const QMimeData* data);

} // namespace app
