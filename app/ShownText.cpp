#include "app/ShownText.h"

#include "holiday/HolidayTable.h"
#include "holiday/VectorLoops.h"

#include <algorithm>
#include <vector>

#if MIREVO_SSE2
#include <emmintrin.h>
#endif

namespace app {

namespace {

// Line breaks as the message box and the report box show them.
[[nodiscard]] bool IsLineBreak(QChar c) noexcept {
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

std::string_view CellBytes(const holiday::HolidayTable& table, holiday::GridCoord cell) {
    return table.Cells().View(cell.Col, cell.Row);
}

void AppendUtf8(QString& out, std::string_view text, std::string_view more) {
    // A UTF-8 byte gives at most one UTF-16 code unit: the room is made once, then cut back.
    const qsizetype old = out.size();
    out.resize(old + static_cast<qsizetype>(text.size() + more.size()));
    auto* p = reinterpret_cast<char16_t*>(out.data() + old);
    for (const std::string_view piece : {text, more}) {
        const auto* in = reinterpret_cast<const unsigned char*>(piece.data());
        const std::size_t size = piece.size();
        std::size_t at = 0;
        while (at < size) {
#if MIREVO_SSE2
            const __m128i zero = _mm_setzero_si128();
            for (; at + 16 <= size; at += 16, p += 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
                if (_mm_movemask_epi8(bytes) != 0) {
                    break;
                }
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi8(bytes, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 8), _mm_unpackhi_epi8(bytes, zero));
            }
#endif
            for (; at < size && in[at] < 0x80; ++at) {
                *p++ = in[at];
            }
            if (at < size) {
                const Utf8Char c = DecodeUtf8Char(piece, at);
                if (c.CodePoint >= 0x10000) {
                    *p++ = QChar::highSurrogate(c.CodePoint);
                    *p++ = QChar::lowSurrogate(c.CodePoint);
                } else {
                    *p++ = static_cast<char16_t>(c.CodePoint);
                }
                at += c.Bytes;
            }
        }
    }
    out.resize(reinterpret_cast<QChar*>(p) - out.constData());
}

QString FromUtf8(std::string_view text) {
    QString out;
    AppendUtf8(out, text);
    return out;
}

QString Utf8Prefix(std::string_view text, qsizetype maxUnits, std::size_t* bytesTaken) {
    QString out;
    if (static_cast<qsizetype>(text.size()) <= maxUnits) {
        // A text of at most maxUnits bytes has at most maxUnits code units.
        AppendUtf8(out, text);
        if (bytesTaken != nullptr) {
            *bytesTaken = text.size();
        }
        return out;
    }
    // The characters that fit, then those bytes converted.
    std::size_t at = 0;
    for (qsizetype units = 0; at < text.size();) {
        const Utf8Char c = DecodeUtf8Char(text, at);
        units += Utf16Units(c);
        if (units > maxUnits) {
            break;
        }
        at += c.Bytes;
    }
    AppendUtf8(out, text.substr(0, at));
    if (bytesTaken != nullptr) {
        *bytesTaken = at;
    }
    return out;
}

QString ElidedLine(std::string_view line, qsizetype maxUnits) {
    std::size_t taken = 0;
    QString shown = Utf8Prefix(line, maxUnits, &taken);
    if (taken < line.size()) {
        shown.append(QChar(Ellipsis));
    }
    return shown;
}

QString ElidedText(const QString& text, qsizetype maxLines, qsizetype maxUnits) {
    // A line: its characters from Begin to End, then its line break up to Next.
    struct Line {
        qsizetype Begin;
        qsizetype End;
        qsizetype Next;
    };
    const qsizetype size = text.size();
    const auto breakAfter = [&](qsizetype end) -> qsizetype {
        if (end == size) {
            return end;
        }
        return text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n' ? end + 2 : end + 1;
    };
    // The first lines, one more than fit when there are more.
    std::vector<Line> head;
    for (qsizetype at = 0; static_cast<qsizetype>(head.size()) <= maxLines;) {
        qsizetype end = at;
        while (end < size && !IsLineBreak(text[end])) {
            ++end;
        }
        head.push_back({at, end, breakAfter(end)});
        if (end == size) {
            break;
        }
        at = head.back().Next;
    }
    std::vector<Line> tail;  // the last lines, the last one first
    qsizetype tailBreak = 0; // where the line break before them starts
    if (static_cast<qsizetype>(head.size()) > maxLines) {
        head.resize(static_cast<std::size_t>(maxLines / 2));
        qsizetype end = size;
        while (static_cast<qsizetype>(tail.size()) < maxLines - 1 - maxLines / 2) {
            qsizetype begin = end;
            while (begin > 0 && !IsLineBreak(text[begin - 1])) {
                --begin;
            }
            tail.push_back({begin, end, breakAfter(end)});
            // There are more lines than shown, so a line break comes before this one.
            end = begin - 1;
            if (text[end] == u'\n' && end > 0 && text[end - 1] == u'\r') {
                --end;
            }
            tailBreak = end;
        }
    }

    QString shown;
    const QStringView all(text);
    const auto append = [&](const Line& line) {
        const QStringView chars = all.sliced(line.Begin, line.End - line.Begin);
        if (chars.size() <= maxUnits) {
            shown.append(chars);
        } else {
            qsizetype last = (maxUnits - 1) / 2;
            qsizetype first = maxUnits - 1 - last;
            if (chars[first - 1].isHighSurrogate()) {
                --first; // never half a character
            }
            if (chars[chars.size() - last].isLowSurrogate()) {
                --last;
            }
            shown.append(chars.first(first));
            shown.append(QChar(Ellipsis));
            shown.append(chars.last(last));
        }
        shown.append(all.sliced(line.End, line.Next - line.End));
    };
    for (const Line& line : head) {
        append(line);
    }
    if (!tail.empty()) {
        shown.append(QChar(Ellipsis));
        shown.append(all.sliced(tailBreak, tail.back().Begin - tailBreak));
        for (auto line = tail.rbegin(); line != tail.rend(); ++line) {
            append(*line);
        }
    }
    return shown;
}

QString ElidedToRows(const QString& text, qsizetype rows, qsizetype unitsPerRow) {
    rows = std::max<qsizetype>(rows, 3);
    unitsPerRow = std::max<qsizetype>(unitsPerRow, 3);
    // The lines of shown and the rows they take once wrapped.
    const auto measure = [unitsPerRow](const QString& shown) {
        qsizetype lines = 1;
        qsizetype rowsTaken = 0;
        qsizetype length = 0;
        const auto endLine = [&] {
            rowsTaken += std::max<qsizetype>(1, (length + unitsPerRow - 1) / unitsPerRow);
        };
        for (qsizetype at = 0; at < shown.size(); ++at) {
            if (!IsLineBreak(shown[at])) {
                ++length;
                continue;
            }
            if (shown[at] == u'\r' && at + 1 < shown.size() && shown[at + 1] == u'\n') {
                ++at;
            }
            endLine();
            length = 0;
            ++lines;
        }
        endLine();
        return std::pair{lines, rowsTaken};
    };
    // At most as many lines as there are rows, none longer than the whole box: what follows
    // costs only what can show.
    QString shown = ElidedText(text, rows, rows * unitsPerRow);
    const auto [lines, rowsTaken] = measure(shown);
    if (rowsTaken <= rows) {
        return shown;
    }
    return ElidedText(text, rows, unitsPerRow * std::max<qsizetype>(1, rows / lines));
}

} // namespace app
