#include "app/ReportLayout.h"

#include "app/ApplicationFonts.h"
#include "app/ShownText.h"

#include <QTextOption>
#include <algorithm>

namespace app {

namespace {

// Laid-out lines kept at most: many times what a box shows.
constexpr std::size_t MaxCachedLines = 2048;

// The start of the character before byte (byte > 0).
[[nodiscard]] std::size_t PreviousChar(std::string_view text, std::size_t byte) {
    do {
        --byte;
    } while (byte > 0 && (static_cast<unsigned char>(text[byte]) & 0xC0) == 0x80);
    return byte;
}

} // namespace

ReportLayout::ReportLayout(const ReportLines& lines) : mLines(lines) {}

void ReportLayout::SetFont(const QFont& font) {
    mFont = font;
    mRowHeight = std::max(1, TextHeight(font));
    mCache.clear();
}

void ReportLayout::SetWidth(int width) {
    width = std::max(1, width);
    if (width != mWidth) {
        mWidth = width;
        mCache.clear();
    }
}

std::unique_ptr<ReportLayout::LineLayout> ReportLayout::LayOut(std::string_view text) const {
    auto line = std::make_unique<LineLayout>();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    int row = 0;
    std::size_t begin = 0;
    do {
        std::size_t end = begin;
        while (end < text.size() && end - begin < PieceBytes) {
            end += DecodeUtf8Char(text, end).Bytes;
        }
        Piece piece;
        piece.Begin = begin;
        piece.End = end;
        piece.FirstRow = row;
        piece.Layout =
            std::make_unique<QTextLayout>(FromUtf8(text.substr(begin, end - begin)), mFont);
        piece.Layout->setTextOption(option);
        piece.Layout->setCacheEnabled(true);
        piece.Layout->beginLayout();
        for (QTextLine shown = piece.Layout->createLine(); shown.isValid();
             shown = piece.Layout->createLine()) {
            shown.setLineWidth(mWidth);
            const qreal inset = std::max<qreal>(0, (mRowHeight - shown.height()) / 2);
            shown.setPosition(QPointF(0, row * mRowHeight + inset));
            ++row;
        }
        piece.Layout->endLayout();
        line->Pieces.push_back(std::move(piece));
        begin = end;
    } while (begin < text.size());
    line->Rows = std::max(1, row);
    return line;
}

const ReportLayout::LineLayout& ReportLayout::Line(std::int64_t line) {
    const auto found = mCache.find(line);
    if (found != mCache.end()) {
        return *found->second;
    }
    return *mCache.emplace(line, LayOut(mLines.Line(line))).first->second;
}

void ReportLayout::Trim() {
    if (mCache.size() > MaxCachedLines) {
        mCache.clear();
    }
}

const ReportLayout::Piece& ReportLayout::PieceAt(const LineLayout& layout, std::size_t byte) {
    for (const Piece& piece : layout.Pieces) {
        if (byte < piece.End) {
            return piece;
        }
    }
    return layout.Pieces.back();
}

int ReportLayout::UnitOf(std::string_view line, const Piece& piece, std::size_t byte) {
    int unit = 0;
    for (std::size_t at = piece.Begin; at < byte && at < piece.End;) {
        const Utf8Char c = DecodeUtf8Char(line, at);
        at += c.Bytes;
        unit += static_cast<int>(Utf16Units(c));
    }
    return unit;
}

std::size_t ReportLayout::ByteOf(std::string_view line, const Piece& piece, int unit) {
    std::size_t at = piece.Begin;
    for (int units = 0; at < piece.End;) {
        const Utf8Char c = DecodeUtf8Char(line, at);
        units += static_cast<int>(Utf16Units(c));
        if (units > unit) {
            break; // never inside a character
        }
        at += c.Bytes;
    }
    return at;
}

ReportLayout::Row ReportLayout::RowOf(ReportPos pos) {
    const LineLayout& layout = Line(pos.Line);
    const Piece& piece = PieceAt(layout, pos.Byte);
    const int unit = UnitOf(mLines.Line(pos.Line), piece, pos.Byte);
    const QTextLine shown = piece.Layout->lineForTextPosition(unit);
    return {pos.Line, piece.FirstRow + (shown.isValid() ? shown.lineNumber() : 0)};
}

qreal ReportLayout::CaretX(ReportPos pos) {
    const LineLayout& layout = Line(pos.Line);
    const Piece& piece = PieceAt(layout, pos.Byte);
    const int unit = UnitOf(mLines.Line(pos.Line), piece, pos.Byte);
    const QTextLine shown = piece.Layout->lineForTextPosition(unit);
    return shown.isValid() ? shown.cursorToX(unit) : 0;
}

namespace {

// The piece of a line that shows a row of it, and the row's line in that piece's layout.
struct PieceRow {
    const ReportLayout::Piece* Piece;
    QTextLine Shown;
};

PieceRow FindRow(const ReportLayout::LineLayout& layout, int row) {
    for (const ReportLayout::Piece& piece : layout.Pieces) {
        const int rows = piece.Layout->lineCount();
        if (row < piece.FirstRow + rows || &piece == &layout.Pieces.back()) {
            const int index = std::clamp(row - piece.FirstRow, 0, std::max(0, rows - 1));
            return {&piece, piece.Layout->lineAt(index)};
        }
    }
    return {&layout.Pieces.back(), QTextLine()};
}

} // namespace

ReportPos ReportLayout::RowStart(Row row) {
    const PieceRow found = FindRow(Line(row.Line), row.Index);
    const int unit = found.Shown.isValid() ? found.Shown.textStart() : 0;
    return {row.Line, ByteOf(mLines.Line(row.Line), *found.Piece, unit)};
}

ReportPos ReportLayout::RowEnd(Row row) {
    const LineLayout& layout = Line(row.Line);
    const std::string_view text = mLines.Line(row.Line);
    if (row.Index >= layout.Rows - 1) {
        return {row.Line, text.size()};
    }
    // Before the last character of a wrapped row: its end is where the next row starts.
    const PieceRow found = FindRow(layout, row.Index);
    const int end = found.Shown.isValid() ? found.Shown.textStart() + found.Shown.textLength() : 0;
    const std::size_t byte = ByteOf(text, *found.Piece, end);
    const ReportPos start = RowStart(row);
    return {row.Line, byte > start.Byte ? PreviousChar(text, byte) : start.Byte};
}

ReportPos ReportLayout::PosInRow(Row row, qreal x) {
    const LineLayout& layout = Line(row.Line);
    const PieceRow found = FindRow(layout, row.Index);
    if (!found.Shown.isValid()) {
        return {row.Line, 0};
    }
    const int unit = found.Shown.xToCursor(x);
    const ReportPos pos{row.Line, ByteOf(mLines.Line(row.Line), *found.Piece, unit)};
    return std::min(pos, RowEnd(row));
}

ReportLayout::Row ReportLayout::Moved(Row row, std::int64_t count) {
    const std::int64_t last = mLines.LineCount() - 1;
    while (count > 0) {
        const int below = Rows(row.Line) - 1 - row.Index;
        if (count <= below) {
            row.Index += static_cast<int>(count);
            break;
        }
        if (row.Line == last) {
            row.Index += below;
            break;
        }
        count -= below + 1;
        row = {row.Line + 1, 0};
    }
    while (count < 0) {
        if (-count <= row.Index) {
            row.Index += static_cast<int>(count);
            break;
        }
        if (row.Line == 0) {
            row.Index = 0;
            break;
        }
        count += row.Index + 1;
        row = {row.Line - 1, Rows(row.Line - 1) - 1};
    }
    return row;
}

} // namespace app
