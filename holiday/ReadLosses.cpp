#include "holiday/ReadLosses.h"

namespace holiday {

namespace {

std::string Count(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::vector<std::string> LossSentences(const ReadLosses& losses) {
    std::vector<std::string> sentences;
    const std::size_t cells = losses.IllFormedCells.size();
    if (cells > 0) {
        const GridCoord first = losses.IllFormedCells.front();
        const std::string place =
            "Zeile " + std::to_string(first.Row) + ", Spalte " + std::to_string(first.Col) + ".";
        sentences.push_back(
            cells == 1
                ? "1 Zelle ist kein gültiges UTF-8 und wurde leer gelesen: " + place
                : Count(cells, "Zelle", "Zellen") +
                      " sind kein gültiges UTF-8 und wurden leer gelesen, die erste in " + place);
    }
    if (losses.UnreadBytes > 0) {
        const std::string bytes = Count(losses.UnreadBytes, "Byte", "Bytes");
        const char* verb = losses.UnreadBytes == 1 ? " wurde" : " wurden";
        sentences.push_back(
            losses.NoRowEnd
                ? "Die Datei enthält kein Zeilenende, ihre " + bytes + verb + " nicht gelesen."
                : bytes + " nach dem letzten Zeilenende" + verb + " nicht gelesen.");
    }
    return sentences;
}

std::string LossNotice(const std::string& shownPath, const ReadLosses& losses) {
    std::string text = "Datei " + shownPath + " wurde nicht vollständig gelesen.";
    for (const std::string& sentence : LossSentences(losses)) {
        text += "\n" + sentence;
    }
    return text + "\nBeim Speichern wird die Datei ohne sie geschrieben.";
}

std::string ReplaceLossyFileQuestion(const std::string& shownPath) {
    return "Datei " + shownPath +
           " wurde beim Öffnen nicht vollständig gelesen. Beim Speichern gehen die nicht "
           "gelesenen Daten verloren.\nDatei trotzdem ersetzen?";
}

} // namespace holiday
