#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// A place in the report box's text: a line (from 0) and a byte offset into that line's UTF-8
// text (0 to its size).
struct ReportPos {
    std::int64_t Line = 0;
    std::size_t Byte = 0;
    friend bool operator==(const ReportPos&, const ReportPos&) = default;
    friend bool operator<(const ReportPos& a, const ReportPos& b) {
        return a.Line != b.Line ? a.Line < b.Line : a.Byte < b.Byte;
    }
    friend bool operator>(const ReportPos& a, const ReportPos& b) { return b < a; }
    friend bool operator<=(const ReportPos& a, const ReportPos& b) { return !(b < a); }
    friend bool operator>=(const ReportPos& a, const ReportPos& b) { return !(a < b); }
};

// The text of the report box: at least one line, the lines joined by line breaks ("\n"), so a
// text that ends with a line break ends with an empty line. Lines are kept as UTF-8, back to
// back in blocks of about BlockBytes, each block with the ends of its lines: the memory is the
// text plus eight bytes a line and a little per block. Appending costs the appended bytes;
// an edit elsewhere costs its block and one step per block. Bytes are kept as given (only the
// view decodes them); a line never holds "\n".
class ReportLines {
public:
    static constexpr std::size_t BlockBytes = std::size_t{64} << 10;

    ReportLines();

    [[nodiscard]] std::int64_t LineCount() const noexcept { return mLineCount; }
    // The line's text (line < LineCount()); valid until the next change.
    [[nodiscard]] std::string_view Line(std::int64_t line) const;
    // The bytes of the text, line breaks included.
    [[nodiscard]] std::uint64_t TextBytes() const noexcept {
        return mTextBytes + static_cast<std::uint64_t>(mLineCount) - 1;
    }
    // The heap memory the store holds for the text.
    [[nodiscard]] std::uint64_t MemoryBytes() const noexcept;
    // The place after the last character.
    [[nodiscard]] ReportPos End() const;

    // Leaves one empty line.
    void Clear();
    // Adds text at the end; each "\n" in it starts a new line.
    void Append(std::string_view text);
    // Inserts text at a place (clamped into the text); returns the place after it.
    ReportPos Insert(ReportPos at, std::string_view text);
    // Removes the text between two places (in either order, clamped into the text).
    void Erase(ReportPos from, ReportPos to);
    // The text between two places (empty unless from < to), line breaks as "\n".
    [[nodiscard]] std::string Text(ReportPos from, ReportPos to) const;

    // A place as a byte offset into the text, and back (offsets beyond the text give End()).
    [[nodiscard]] std::uint64_t Offset(ReportPos pos) const;
    [[nodiscard]] ReportPos PosAt(std::uint64_t offset) const;
    // pos moved into the text: the line into 0 .. LineCount() - 1, the byte into its line.
    [[nodiscard]] ReportPos Clamped(ReportPos pos) const;

private:
    // Lines back to back; Ends[i] is where line i of the block ends in Text. Never empty.
    struct Block {
        std::string Text;
        std::vector<std::uint64_t> Ends;
        [[nodiscard]] std::size_t LineStart(std::size_t i) const {
            return i == 0 ? 0 : static_cast<std::size_t>(Ends[i - 1]);
        }
    };
    struct Where {
        std::size_t Block;
        std::size_t Index; // the line within the block
    };

    [[nodiscard]] Where Find(std::int64_t line) const;
    // Starts a new last line at the end of the text.
    void StartLine();
    // Adds bytes (no "\n") to the last line.
    void AppendToLastLine(std::string_view bytes);
    // Splits a block that has grown past twice BlockBytes into blocks of about BlockBytes.
    void SplitBlock(std::size_t block);
    // Brings the first line and byte of every block from block on up to date.
    void Renumber(std::size_t block);

    std::vector<Block> mBlocks;
    std::vector<std::int64_t> mFirstLine;  // per block: its first line's number
    std::vector<std::uint64_t> mFirstByte; // per block: the offset of its first line in the text
    std::int64_t mLineCount = 0;
    std::uint64_t mTextBytes = 0; // without line breaks
};

} // namespace app
