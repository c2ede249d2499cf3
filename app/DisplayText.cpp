#include "app/DisplayText.h"

#include "holiday/HolidayTable.h"

#include <algorithm>

namespace app {

namespace {

[[nodiscard]] bool IsContinuation(unsigned char c) noexcept {
    return (c & 0xC0u) == 0x80u;
}

void AppendCodePoint(QString& out, char32_t c) {
    if (c >= 0x10000) {
        out.append(QChar::highSurrogate(c));
        out.append(QChar::lowSurrogate(c));
    } else {
        out.append(QChar(static_cast<char16_t>(c)));
    }
}

// Line breaks as the message box and the report box show them.
[[nodiscard]] bool IsLineBreak(QChar c) noexcept {
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

std::string_view CellBytes(const holiday::HolidayTable& table, holiday::GridCoord cell) {
    holiday::CellStore::RowEntries entries = table.Cells().Entries(cell.Row);
    std::int32_t col = 0;
    std::string_view text;
    while (entries.Next(col, text)) {
        if (col == cell.Col) {
            return text;
        }
        if (col > cell.Col) {
            break;
        }
    }
    return {};
}

Utf8Char DecodeUtf8Char(std::string_view text, std::size_t at) noexcept {
    const auto b = static_cast<unsigned char>(text[at]);
    if (b < 0x80) {
        return {1, b};
    }
    const std::size_t more = b < 0xC2 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : b < 0xF5 ? 3 : 0;
    if (more == 0 || more > text.size() - at - 1) {
        return {1, 0xFFFD};
    }
    // The second byte's range rules out overlong forms, surrogates and U+110000 on.
    const unsigned low = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
    const unsigned high = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
    char32_t c = b & (0x3Fu >> more);
    for (std::size_t k = 1; k <= more; ++k) {
        const auto n = static_cast<unsigned char>(text[at + k]);
        if (k == 1 ? (n < low || n > high) : !IsContinuation(n)) {
            return {1, 0xFFFD};
        }
        c = (c << 6) | (n & 0x3Fu);
    }
    return {more + 1, c};
}

QString Utf8Prefix(std::string_view text, qsizetype maxUnits, std::size_t* bytesTaken) {
    QString out;
    std::size_t at = 0;
    out.reserve(std::min<qsizetype>(maxUnits, static_cast<qsizetype>(text.size())));
    while (at < text.size()) {
        const Utf8Char c = DecodeUtf8Char(text, at);
        if (out.size() + (c.CodePoint >= 0x10000 ? 2 : 1) > maxUnits) {
            break;
        }
        AppendCodePoint(out, c.CodePoint);
        at += c.Bytes;
    }
    if (bytesTaken != nullptr) {
        *bytesTaken = at;
    }
    return out;
}

QString ElidedLine(std::string_view line, qsizetype maxUnits) {
    // A line of at most maxUnits bytes has at most maxUnits code units.
    if (static_cast<qsizetype>(line.size()) <= maxUnits) {
        return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    std::size_t taken = 0;
    QString shown = Utf8Prefix(line, maxUnits, &taken);
    if (taken < line.size()) {
        shown.append(QChar(Ellipsis));
    }
    return shown;
}

QString ElideLongLines(const QString& text, qsizetype maxUnits) {
    QString out;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && !IsLineBreak(text[end])) {
            ++end;
        }
        if (end - start > maxUnits) {
            qsizetype cut = start + maxUnits;
            if (text[cut - 1].isHighSurrogate()) {
                --cut; // never half a character
            }
            out.append(QStringView(text).sliced(start, cut - start));
            out.append(QChar(Ellipsis));
        } else {
            out.append(QStringView(text).sliced(start, end - start));
        }
        if (end < text.size()) {
            out.append(text[end]);
        }
        start = end + 1;
    }
    return out;
}

} // namespace app
