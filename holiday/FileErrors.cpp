#include "holiday/FileErrors.h"

#include <cstring>

namespace holiday::detail {

namespace {

// strerror_r comes in two flavours; both are handled.
[[maybe_unused]] const char* ErrorText(int result, const char* buffer) {
    return result == 0 ? buffer : "Unbekannter Fehler";
}
[[maybe_unused]] const char* ErrorText(const char* result, const char*) {
    return result;
}

} // namespace

std::string TrimMessageEnd(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n' || text.back() == '.')) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string SystemErrorText(int error) {
    char buffer[256] = {};
    return TrimMessageEnd(ErrorText(::strerror_r(error, buffer, sizeof buffer), buffer));
}

std::string OpenErrorMessage(const std::string& absolutePath, const std::string& reason) {
    return "Datei " + absolutePath + " kann nicht geöffnet werden. " + reason;
}

std::string CreateErrorMessage(const std::string& absolutePath, const std::string& reason) {
    return "Datei \"" + absolutePath + "\" kann nicht erstellt werden. " + reason;
}

std::string ReadErrorMessage(const std::string& absolutePath, const std::string& reason) {
    return "Datei " + absolutePath + " konnte nicht vollständig gelesen werden. " + reason;
}

std::string WriteErrorMessage(const std::string& absolutePath, const std::string& reason) {
    return "Datei \"" + absolutePath + "\" konnte nicht vollständig geschrieben werden. " + reason;
}

} // namespace holiday::detail
