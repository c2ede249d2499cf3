#pragma once

#include "app/ReportLines.h"

#include <QFont>
#include <QString>
#include <QTextLayout>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace app {

// The report box's lines wrapped at a width, one line at a time and only the lines asked for
// (those that show, and those next to them that a move or the end of the text needs): a line
// is laid out when first asked for and kept until it changes, the width or the font changes, or
// many others have been laid out. Rows (wrapped lines) stand RowHeight apart, the text
// centred in its row. A line is laid out in pieces of at most PieceBytes, each wrapped on its
// own, so that no single layout costs more than a piece, whatever the line's length.
class ReportLayout {
public:
    static constexpr std::size_t PieceBytes = std::size_t{16} << 10;

    // A row of a line: the line, and the row within it (from 0).
    struct Row {
        std::int64_t Line = 0;
        int Index = 0;
        friend bool operator==(const Row&, const Row&) = default;
        friend bool operator<(const Row& a, const Row& b) {
            return a.Line != b.Line ? a.Line < b.Line : a.Index < b.Index;
        }
    };
    struct Piece {
        std::size_t Begin = 0; // bytes of the line
        std::size_t End = 0;
        int FirstRow = 0;
        std::unique_ptr<QTextLayout> Layout; // its rows placed from FirstRow on
    };
    struct LineLayout {
        std::vector<Piece> Pieces;
        int Rows = 1;
    };

    explicit ReportLayout(const ReportLines& lines);

    void SetFont(const QFont& font);
    // The width that rows wrap at, at least 1.
    void SetWidth(int width);
    [[nodiscard]] int RowHeight() const noexcept { return mRowHeight; }

    // The line laid out; valid until it is forgotten or the cache is trimmed.
    [[nodiscard]] const LineLayout& Line(std::int64_t line);
    [[nodiscard]] int Rows(std::int64_t line) { return Line(line).Rows; }
    // Forgets what was laid out: of one line (its text changed), or of all.
    void Forget(std::int64_t line) { mCache.erase(line); }
    void ForgetAll() { mCache.clear(); }
    // Forgets every line when many have been laid out (where no LineLayout is held).
    void Trim();

    // The row that holds pos (a place at a wrap goes with the row it starts).
    [[nodiscard]] Row RowOf(ReportPos pos);
    // The caret's x for pos within its row.
    [[nodiscard]] qreal CaretX(ReportPos pos);
    // The place in a row nearest to x.
    [[nodiscard]] ReportPos PosInRow(Row row, qreal x);
    // The first and the last place of a row (the last before a wrap, or the line's end).
    [[nodiscard]] ReportPos RowStart(Row row);
    [[nodiscard]] ReportPos RowEnd(Row row);
    // The row count rows after (or, negative, before) row, kept inside the text.
    [[nodiscard]] Row Moved(Row row, std::int64_t count);

    // The piece that holds byte (the last piece for the line's end) and the UTF-16 index of
    // byte in its text.
    [[nodiscard]] static const Piece& PieceAt(const LineLayout& layout, std::size_t byte);
    [[nodiscard]] static int UnitOf(std::string_view line, const Piece& piece, std::size_t byte);
    [[nodiscard]] static std::size_t ByteOf(std::string_view line, const Piece& piece, int unit);

private:
    [[nodiscard]] std::unique_ptr<LineLayout> LayOut(std::string_view text) const;

    const ReportLines& mLines;
    QFont mFont;
    int mRowHeight = 1;
    int mWidth = 1;
    std::unordered_map<std::int64_t, std::unique_ptr<LineLayout>> mCache;
};

} // namespace app
