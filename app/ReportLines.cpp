#include "app/ReportLines.h"

#include <algorithm>
#include <utility>

namespace app {

namespace {

// A block that holds less than this part of its room gives the rest back.
constexpr std::size_t ShrinkBelow = 4;

} // namespace

ReportLines::ReportLines() {
    Clear();
}

void ReportLines::Clear() {
    mBlocks.clear();
    mBlocks.shrink_to_fit();
    Block first;
    first.Ends.push_back(0);
    mBlocks.push_back(std::move(first));
    mFirstLine.assign(1, 0);
    mFirstByte.assign(1, 0);
    mLineCount = 1;
    mTextBytes = 0;
}

std::uint64_t ReportLines::MemoryBytes() const noexcept {
    std::uint64_t bytes = mBlocks.capacity() * sizeof(Block) +
                          mFirstLine.capacity() * sizeof(std::int64_t) +
                          mFirstByte.capacity() * sizeof(std::uint64_t);
    for (const Block& block : mBlocks) {
        bytes += block.Text.capacity() + block.Ends.capacity() * sizeof(std::uint64_t);
    }
    return bytes;
}

ReportLines::Where ReportLines::Find(std::int64_t line) const {
    const auto after = std::upper_bound(mFirstLine.begin(), mFirstLine.end(), line);
    const auto block = static_cast<std::size_t>(after - mFirstLine.begin()) - 1;
    return {block, static_cast<std::size_t>(line - mFirstLine[block])};
}

std::string_view ReportLines::Line(std::int64_t line) const {
    const Where at = Find(line);
    const Block& block = mBlocks[at.Block];
    const std::size_t start = block.LineStart(at.Index);
    return std::string_view(block.Text).substr(start, block.Ends[at.Index] - start);
}

ReportPos ReportLines::End() const {
    return {mLineCount - 1, Line(mLineCount - 1).size()};
}

ReportPos ReportLines::Clamped(ReportPos pos) const {
    pos.Line = std::clamp<std::int64_t>(pos.Line, 0, mLineCount - 1);
    pos.Byte = std::min(pos.Byte, Line(pos.Line).size());
    return pos;
}

void ReportLines::StartLine() {
    Block& last = mBlocks.back();
    if (last.Text.size() >= BlockBytes) {
        last.Ends.shrink_to_fit();
        mFirstLine.push_back(mLineCount);
        mFirstByte.push_back(mFirstByte.back() + last.Text.size() + last.Ends.size());
        Block next;
        next.Text.reserve(BlockBytes);
        next.Ends.push_back(0);
        mBlocks.push_back(std::move(next));
    } else {
        if (last.Text.capacity() < BlockBytes) {
            last.Text.reserve(BlockBytes);
        }
        last.Ends.push_back(last.Text.size());
    }
    ++mLineCount;
}

void ReportLines::AppendToLastLine(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    Block* last = &mBlocks.back();
    if (last->Text.size() + bytes.size() > last->Text.capacity() && last->Ends.size() > 1) {
        // The block is full: its last line moves on to a block of its own, so that no block
        // grows past its room for the sake of one line.
        const std::size_t start = last->LineStart(last->Ends.size() - 1);
        Block next;
        next.Text.reserve(std::max(BlockBytes, last->Text.size() - start + bytes.size()));
        next.Text.append(last->Text, start);
        next.Ends.push_back(next.Text.size());
        last->Text.resize(start);
        last->Ends.pop_back();
        last->Ends.shrink_to_fit();
        mFirstLine.push_back(mLineCount - 1);
        mFirstByte.push_back(mFirstByte.back() + last->Text.size() + last->Ends.size());
        mBlocks.push_back(std::move(next));
        last = &mBlocks.back();
    }
    last->Text.append(bytes);
    last->Ends.back() += bytes.size();
    mTextBytes += bytes.size();
}

void ReportLines::Append(std::string_view text) {
    for (std::size_t at = 0;;) {
        const std::size_t lineBreak = text.find('\n', at);
        AppendToLastLine(text.substr(at, lineBreak - at));
        if (lineBreak == std::string_view::npos) {
            break;
        }
        StartLine();
        at = lineBreak + 1;
    }
}

ReportPos ReportLines::Insert(ReportPos at, std::string_view text) {
    at = Clamped(at);
    const Where where = Find(at.Line);
    Block& block = mBlocks[where.Block];
    const std::size_t insertAt = block.LineStart(where.Index) + at.Byte;
    // The ends of the new lines' first parts, then the bytes without their line breaks.
    std::vector<std::uint64_t> newEnds;
    std::string bytes;
    bytes.reserve(text.size());
    std::size_t lastPart = 0;
    for (std::size_t from = 0;;) {
        const std::size_t lineBreak = text.find('\n', from);
        const std::string_view part = text.substr(from, lineBreak - from);
        bytes.append(part);
        if (lineBreak == std::string_view::npos) {
            lastPart = part.size();
            break;
        }
        newEnds.push_back(insertAt + bytes.size());
        from = lineBreak + 1;
    }
    block.Text.insert(insertAt, bytes);
    for (std::size_t i = where.Index; i < block.Ends.size(); ++i) {
        block.Ends[i] += bytes.size();
    }
    block.Ends.insert(block.Ends.begin() + static_cast<std::ptrdiff_t>(where.Index),
                      newEnds.begin(), newEnds.end());
    const auto added = static_cast<std::int64_t>(newEnds.size());
    mLineCount += added;
    mTextBytes += bytes.size();
    SplitBlock(where.Block);
    Renumber(where.Block);
    return {at.Line + added, added > 0 ? lastPart : at.Byte + lastPart};
}

void ReportLines::SplitBlock(std::size_t index) {
    const Block& whole = mBlocks[index];
    if (whole.Text.size() <= 2 * BlockBytes || whole.Ends.size() <= 1) {
        return;
    }
    std::vector<Block> parts;
    std::size_t first = 0; // the first line of the part being filled
    for (std::size_t i = 0; i < whole.Ends.size(); ++i) {
        const std::size_t start = whole.LineStart(first);
        if (whole.Ends[i] - start >= BlockBytes || i + 1 == whole.Ends.size()) {
            Block part;
            part.Text.assign(whole.Text, start, whole.Ends[i] - start);
            for (std::size_t j = first; j <= i; ++j) {
                part.Ends.push_back(whole.Ends[j] - start);
            }
            parts.push_back(std::move(part));
            first = i + 1;
        }
    }
    const auto at = static_cast<std::ptrdiff_t>(index);
    mBlocks.erase(mBlocks.begin() + at);
    mBlocks.insert(mBlocks.begin() + at, std::make_move_iterator(parts.begin()),
                   std::make_move_iterator(parts.end()));
}

void ReportLines::Renumber(std::size_t block) {
    mFirstLine.resize(mBlocks.size());
    mFirstByte.resize(mBlocks.size());
    if (block == 0) {
        mFirstLine[0] = 0;
        mFirstByte[0] = 0;
        block = 1;
    }
    for (std::size_t i = block; i < mBlocks.size(); ++i) {
        const Block& before = mBlocks[i - 1];
        mFirstLine[i] = mFirstLine[i - 1] + static_cast<std::int64_t>(before.Ends.size());
        mFirstByte[i] = mFirstByte[i - 1] + before.Text.size() + before.Ends.size();
    }
}

void ReportLines::Erase(ReportPos from, ReportPos to) {
    from = Clamped(from);
    to = Clamped(to);
    if (to < from) {
        std::swap(from, to);
    }
    if (from == to) {
        return;
    }
    const std::string tail(Line(to.Line).substr(to.Byte));
    // Whole lines from.Line + 1 .. to.Line go; blocks that lose every line go with them.
    const Where start = Find(from.Line);
    std::size_t block = start.Block;
    std::size_t index = start.Index + 1;
    std::size_t firstGone = 0;
    std::size_t gone = 0;
    for (std::int64_t left = to.Line - from.Line; left > 0; ++block, index = 0) {
        Block& b = mBlocks[block];
        const std::size_t take =
            std::min<std::size_t>(b.Ends.size() - index, static_cast<std::size_t>(left));
        left -= static_cast<std::int64_t>(take);
        if (index == 0 && take == b.Ends.size()) {
            mTextBytes -= b.Text.size();
            firstGone = gone == 0 ? block : firstGone;
            ++gone;
            continue;
        }
        const std::size_t begin = b.LineStart(index);
        const std::size_t bytes = b.Ends[index + take - 1] - begin;
        b.Text.erase(begin, bytes);
        const auto first = b.Ends.begin() + static_cast<std::ptrdiff_t>(index);
        b.Ends.erase(first, first + static_cast<std::ptrdiff_t>(take));
        for (std::size_t i = index; i < b.Ends.size(); ++i) {
            b.Ends[i] -= bytes;
        }
        mTextBytes -= bytes;
        if (b.Text.size() < b.Text.capacity() / ShrinkBelow) {
            b.Text.shrink_to_fit();
            b.Ends.shrink_to_fit();
        }
    }
    if (gone > 0) {
        const auto first = mBlocks.begin() + static_cast<std::ptrdiff_t>(firstGone);
        mBlocks.erase(first, first + static_cast<std::ptrdiff_t>(gone));
    }
    mLineCount -= to.Line - from.Line;

    // What is left of from's line: its start, then the tail of to's line.
    Block& b = mBlocks[start.Block];
    const std::size_t cut = b.LineStart(start.Index) + from.Byte;
    const std::size_t cutBytes = b.Ends[start.Index] - cut;
    b.Text.replace(cut, cutBytes, tail);
    for (std::size_t i = start.Index; i < b.Ends.size(); ++i) {
        b.Ends[i] = b.Ends[i] - cutBytes + tail.size();
    }
    mTextBytes = mTextBytes - cutBytes + tail.size();
    Renumber(start.Block);
}

std::string ReportLines::Text(ReportPos from, ReportPos to) const {
    from = Clamped(from);
    to = Clamped(to);
    std::string out;
    if (to <= from) {
        return out;
    }
    out.reserve(Offset(to) - Offset(from));
    Where at = Find(from.Line);
    for (std::int64_t line = from.Line;; ++line) {
        const Block& b = mBlocks[at.Block];
        const std::size_t start = b.LineStart(at.Index);
        const std::size_t begin = start + (line == from.Line ? from.Byte : 0);
        const std::size_t end = line == to.Line ? start + to.Byte : b.Ends[at.Index];
        out.append(b.Text, begin, end - begin);
        if (line == to.Line) {
            break;
        }
        out.push_back('\n');
        if (++at.Index == b.Ends.size()) {
            at = {at.Block + 1, 0};
        }
    }
    return out;
}

std::uint64_t ReportLines::Offset(ReportPos pos) const {
    pos = Clamped(pos);
    const Where at = Find(pos.Line);
    return mFirstByte[at.Block] + mBlocks[at.Block].LineStart(at.Index) + at.Index + pos.Byte;
}

ReportPos ReportLines::PosAt(std::uint64_t offset) const {
    if (offset >= TextBytes()) {
        return End();
    }
    const auto after = std::upper_bound(mFirstByte.begin(), mFirstByte.end(), offset);
    const auto block = static_cast<std::size_t>(after - mFirstByte.begin()) - 1;
    const Block& b = mBlocks[block];
    const std::uint64_t inBlock = offset - mFirstByte[block];
    // Line i of the block takes the offsets LineStart(i) + i to Ends[i] + i (its end).
    std::size_t low = 0;
    std::size_t high = b.Ends.size() - 1;
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (b.Ends[mid] + mid >= inBlock) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return {mFirstLine[block] + static_cast<std::int64_t>(low),
            static_cast<std::size_t>(inBlock - b.LineStart(low) - low)};
}

} // namespace app
