#include "app/ShownText.h"

#include "holiday/HolidayTable.h"

#include <algorithm>
#include <vector>

namespace app {

namespace {

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
    return table.Cells().View(cell.Col, cell.Row);
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

} // namespace app
