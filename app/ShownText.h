#pragma once

#include "holiday/GridCoord.h"
#include "holiday/Utf8.h"

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace holiday {
class HolidayTable;
}

namespace app {

// Cell texts on their way to the screen. A cell may hold a text of any length (a file that is
// no holiday file reads as one huge cell); what only shows a text takes as much of it as it
// can show, so that no text costs more than what is visible. The table and its files always
// keep the whole text.

// The character that marks a line shortened for display.
inline constexpr char16_t Ellipsis = u'\u2026';

// The bytes of a cell as the table holds them, without a copy; valid until the table changes.
[[nodiscard]] std::string_view CellBytes(const holiday::HolidayTable& table,
                                         holiday::GridCoord cell);

// The characters of UTF-8 text, one at a time (a byte that starts no well-formed sequence is
// one character U+FFFD).
using holiday::DecodeUtf8Char;
using holiday::Utf8Char;
// The UTF-16 code units of a character: two beyond U+FFFF.
[[nodiscard]] constexpr qsizetype Utf16Units(const Utf8Char& c) noexcept {
    return c.CodePoint >= 0x10000 ? 2 : 1;
}

// The one conversion from UTF-8 to QString: text appended to out, each character decoded as
// DecodeUtf8Char does (so a byte that starts no well-formed sequence reads as one U+FFFD, the
// same on the screen, in the report, in a message and on the clipboard). Plain ASCII goes
// sixteen bytes at a time. more is appended after text, as a second call would.
void AppendUtf8(QString& out, std::string_view text, std::string_view more = {});
[[nodiscard]] QString FromUtf8(std::string_view text);

// The first characters of text, as many as fill at most maxUnits UTF-16 code units, decoded
// as AppendUtf8 does; bytesTaken (when given) receives the bytes they take in text.
[[nodiscard]] QString Utf8Prefix(std::string_view text, qsizetype maxUnits,
                                 std::size_t* bytesTaken = nullptr);

// line (UTF-8) for display: whole when it has at most maxUnits UTF-16 code units, else its
// first characters followed by the ellipsis.
[[nodiscard]] QString ElidedLine(std::string_view line, qsizetype maxUnits);

// text for a box of bounded size, costing only what it shows: at most maxLines lines, a text of
// more lines showing its first and its last ones with a line of the ellipsis alone between them;
// each line of more than maxUnits UTF-16 code units shortened to maxUnits, its start and its end
// with the ellipsis between them. Line breaks ("\r\n" counts as one) stay as they are, and a
// character is never cut in half. maxLines and maxUnits are at least 3.
[[nodiscard]] QString ElidedText(const QString& text, qsizetype maxLines, qsizetype maxUnits);

// text for a box that wraps its lines at unitsPerRow UTF-16 code units and shows at most rows
// rows: whole when its lines, wrapped, take at most rows rows; else ElidedText of it with at
// most rows lines, each long line shortened to an equal share of the rows (at least one row).
// rows and unitsPerRow count as at least 3.
[[nodiscard]] QString ElidedToRows(const QString& text, qsizetype rows, qsizetype unitsPerRow);

} // namespace app
