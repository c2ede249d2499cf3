#include "tools/holtool/DatePattern.h"

#include "tools/holtool/ShownName.h"
#include "tools/holtool/ToolError.h"

#include <string>

namespace holtool {
namespace {

constexpr const char* PatternHelp =
    " (the pattern language has d, dd, ddd, dddd, m, mm, mmm, mmmm, yy and yyyy, / for the "
    "separator, and text to copy in quotes)";

bool IsAsciiLetter(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Lower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

[[noreturn]] void Refuse(std::string_view pattern, const std::string& why) {
    throw ToolError("--date-format: " + ShownName(std::string(pattern)) + " " + why + PatternHelp);
}

} // namespace

void CheckDatePattern(std::string_view pattern) {
    for (const char c : pattern) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            Refuse(pattern, "holds a control character");
        }
    }
    bool writesDate = false;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = pattern.find(c, i + 1);
            if (close == std::string_view::npos) {
                Refuse(pattern, std::string("opens a quote ") + c + " that it does not close");
            }
            i = close + 1;
            continue;
        }
        if (!IsAsciiLetter(c)) {
            ++i;
            continue;
        }
        const char letter = Lower(c);
        if (letter != 'd' && letter != 'm' && letter != 'y') {
            Refuse(pattern,
                   std::string("holds the letter ") + c + ", which writes no part of a date");
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) {
            ++run;
        }
        if (letter == 'd' && run > 4) {
            Refuse(pattern, "holds " + std::to_string(run) + " d in a row; dddd is the longest");
        }
        writesDate = true;
        i += run;
    }
    if (!writesDate) {
        Refuse(pattern, "writes no day, month or year");
    }
}

} // namespace holtool
