#pragma once

#include "holiday/GridCoord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace holiday {

// What reading a file left out of the table: the file's bytes are all there only when this is
// Empty. A save of the table writes the file without them.
struct ReadLosses {
    // Cells that are not well-formed UTF-8 and read as empty, in the order of the file.
    std::vector<GridCoord> IllFormedCells;
    // Bytes after the last row end (0x01) that were not read; all of a file that has none.
    std::uint64_t UnreadBytes = 0;
    // Whether the file holds no row end at all (while it holds bytes).
    bool NoRowEnd = false;

    [[nodiscard]] bool Empty() const noexcept { return IllFormedCells.empty() && UnreadBytes == 0; }
};

// The sentences that tell the user what was left out, one per kind of loss, without the
// file's name: "3 Zellen sind kein gültiges UTF-8 und wurden leer gelesen, die erste in Zeile
// 4, Spalte 0." and "12 Bytes nach dem letzten Zeilenende wurden nicht gelesen." (or "Die Datei
// enthält kein Zeilenende, ihre 2031 Bytes wurden nicht gelesen.").
[[nodiscard]] std::vector<std::string> LossSentences(const ReadLosses& losses);

// The notice after opening shownPath with losses: "Datei %s wurde nicht vollständig gelesen.",
// the sentences of LossSentences, and "Beim Speichern wird die Datei ohne sie geschrieben.",
// one per line.
[[nodiscard]] std::string LossNotice(const std::string& shownPath, const ReadLosses& losses);

// The question before a save replaces a file that was read with losses: "Datei %s wurde beim
// Öffnen nicht vollständig gelesen. Beim Speichern gehen die nicht gelesenen Daten verloren.
// Datei trotzdem ersetzen?"
[[nodiscard]] std::string ReplaceLossyFileQuestion(const std::string& shownPath);

// The fault of one cell that read as empty: "Die Zelle ist kein gültiges UTF-8 und wurde leer
// gelesen."
inline constexpr const char* IllFormedCellText =
    "Die Zelle ist kein gültiges UTF-8 und wurde leer gelesen.";

} // namespace holiday
