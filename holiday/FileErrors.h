#pragma once

#include <string>
#include <string_view>

namespace holiday::detail {

// The operating system's text for errno value error, without trailing blanks, line breaks and
// full stops.
[[nodiscard]] std::string SystemErrorText(int error);
// Removes trailing blanks, line breaks and full stops.
[[nodiscard]] std::string TrimMessageEnd(std::string_view text);
// "Datei %s kann nicht geöffnet werden. %s"
[[nodiscard]] std::string OpenErrorMessage(const std::string& absolutePath,
                                           const std::string& reason);
// "Datei "%s" kann nicht erstellt werden. %s"
[[nodiscard]] std::string CreateErrorMessage(const std::string& absolutePath,
                                             const std::string& reason);
// "Datei %s konnte nicht vollständig gelesen werden. %s"
[[nodiscard]] std::string ReadErrorMessage(const std::string& absolutePath,
                                           const std::string& reason);
// "Datei "%s" konnte nicht vollständig geschrieben werden. %s"
[[nodiscard]] std::string WriteErrorMessage(const std::string& absolutePath,
                                            const std::string& reason);

// The second part of the messages when another program holds a conflicting lock.
inline constexpr const char* FileInUseText = "Die Datei wird von einem anderen Prozess verwendet";
// Added to the reason of the create message when the folder admits no new file: the save
// writes the new file beside the old one, so a writable file alone is not enough.
inline constexpr const char* FolderNotWritableText =
    "Zum Speichern muss der Ordner beschreibbar sein";
// The second part of the read message when the file ends before the size it had.
inline constexpr const char* FileShrankText = "Die Datei endet vor ihrer ursprünglichen Größe";

} // namespace holiday::detail
