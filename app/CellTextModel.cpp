#include "app/CellTextModel.h"

#include "app/ShownText.h"

#include <QByteArray>
#include <QStringView>
#include <algorithm>
#include <cstring>

namespace app {

namespace {

// How near (in UTF-16 code units) the caret may come to an end of the window before the
// window moves on.
constexpr qsizetype WindowMargin = 1024;

// The bytes the undo history keeps at most; the oldest changes go first, the last one stays.
constexpr std::size_t MaxHistoryBytes = std::size_t{256} << 20;

[[nodiscard]] bool IsForbidden(QChar c) noexcept {
    return c.unicode() == 0x0000 || c.unicode() == 0x0001;
}

[[nodiscard]] bool IsForbiddenByte(char c) noexcept {
    return c == '\0' || c == '\x01';
}

[[nodiscard]] bool IsContinuation(char c) noexcept {
    return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u;
}

// What a character costs the text widget to lay out (see CellTextModel).
[[nodiscard]] std::size_t CostOf(const Utf8Char& c) noexcept {
    return c.CodePoint < 0x0300 ? c.Bytes : CellTextModel::ExoticCost;
}

[[nodiscard]] std::size_t CharCost(std::string_view text, std::size_t at) noexcept {
    return CostOf(DecodeUtf8Char(text, at));
}

} // namespace

void CellTextModel::SetWholeText(std::string_view text) {
    // The room of the last text serves again when it is large enough and not much larger (also
    // after the editor was closed, with the empty text): fresh memory for a huge cell costs more
    // than copying it. Room for typing: a huge text is not copied again for a few more
    // characters.
    const std::size_t room = text.size() + text.size() / 64;
    mWhole.clear();
    if (!text.empty() && (mWhole.capacity() < room || mWhole.capacity() > 2 * room + 65536)) {
        Text().swap(mWhole);
        mWhole.reserve(room);
    }
    mWhole.append(text);
    if (std::memchr(mWhole.data(), '\0', mWhole.size()) != nullptr ||
        std::memchr(mWhole.data(), '\x01', mWhole.size()) != nullptr) {
        std::erase_if(mWhole, IsForbiddenByte);
    }
    mWholeSelected = false;
    ClearHistory();
    PlaceWindow(mWhole.size());
}

void CellTextModel::PlaceWindow(std::size_t caret) {
    const std::string_view whole(mWhole.data(), mWhole.size());
    const std::size_t size = whole.size();
    caret = std::min(caret, size);
    // A caret inside a character stands before it.
    while (caret > 0 && caret < size && IsContinuation(whole[caret])) {
        --caret;
    }
    std::size_t begin = caret;
    std::size_t end = caret;
    std::size_t cost = 0;
    // Half the budget before the caret, the rest after it, and what the end leaves unused
    // before it again; cuts fall between characters.
    const auto takeBefore = [&](std::size_t budget) {
        while (begin > 0) {
            std::size_t start = begin - 1;
            for (int k = 0; k < 3 && start > 0 && IsContinuation(whole[start]); ++k) {
                --start;
            }
            const std::size_t c = std::max(CharCost(whole, start), begin - start);
            if (cost + c > budget) {
                break;
            }
            cost += c;
            begin = start;
        }
    };
    takeBefore(WindowBytes / 2);
    while (end < size) {
        const Utf8Char c = DecodeUtf8Char(whole, end);
        const std::size_t charCost = CostOf(c);
        if (cost + charCost > WindowBytes) {
            break;
        }
        cost += charCost;
        end += c.Bytes;
    }
    takeBefore(WindowBytes);
    mWinBegin = begin;
    mWinEnd = end;
    ReadWindow();
}

std::size_t CellTextModel::ShapingCost(std::string_view text) noexcept {
    std::size_t cost = 0;
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Char c = DecodeUtf8Char(text, at);
        cost += CostOf(c);
        at += c.Bytes;
    }
    return cost;
}

void CellTextModel::ReadWindow() {
    mShown = FromUtf8(std::string_view(mWhole).substr(mWinBegin, mWinEnd - mWinBegin));
}

bool CellTextModel::WindowShouldFollow(qsizetype position, qsizetype shownUnits) const noexcept {
    const bool wholeShown = ShowsStart() && ShowsEnd();
    const bool tooLarge = WindowTooLarge();
    if (mWholeSelected || (wholeShown && !tooLarge)) {
        return false;
    }
    // The margin stays well inside a window of costly characters.
    const qsizetype margin = std::min(WindowMargin, shownUnits / 4);
    const bool nearStart = !ShowsStart() && position < margin;
    const bool nearEnd = !ShowsEnd() && shownUnits - position < margin;
    // A cost is never below the bytes, so a text of more bytes than the budget never fits.
    const bool fitsWhole =
        mWhole.size() <= WindowBytes &&
        ShapingCost(std::string_view(mWhole.data(), mWhole.size())) <= WindowBytes;
    return nearStart || nearEnd || tooLarge || (!wholeShown && fitsWhole);
}

bool CellTextModel::WindowTooLarge() const noexcept {
    const std::size_t bytes = mWinEnd - mWinBegin;
    return bytes > 2 * WindowBytes ||
           ShapingCost(std::string_view(mWhole.data() + mWinBegin, bytes)) > 2 * WindowBytes;
}

std::size_t CellTextModel::OffsetOf(qsizetype position) const noexcept {
    const std::string_view window(mWhole.data(), mWinEnd);
    std::size_t at = mWinBegin;
    for (qsizetype units = 0; units < position && at < mWinEnd;) {
        const Utf8Char c = DecodeUtf8Char(window, at);
        units += Utf16Units(c);
        at += c.Bytes;
    }
    return at;
}

qsizetype CellTextModel::PositionOf(std::size_t offset) const noexcept {
    const std::string_view window(mWhole.data(), mWinEnd);
    std::size_t at = mWinBegin;
    qsizetype units = 0;
    while (at < offset && at < mWinEnd) {
        const Utf8Char c = DecodeUtf8Char(window, at);
        units += Utf16Units(c);
        at += c.Bytes;
    }
    return units;
}

bool CellTextModel::HasForbidden(const QString& text) noexcept {
    return std::any_of(text.begin(), text.end(), IsForbidden);
}

QString CellTextModel::WithoutForbidden(const QString& text, qsizetype& position) {
    const auto droppedBefore = std::count_if(
        text.begin(), text.begin() + std::clamp<qsizetype>(position, 0, text.size()), IsForbidden);
    position -= droppedBefore;
    QString clean = text;
    clean.removeIf(IsForbidden);
    return clean;
}

bool CellTextModel::ApplyWindowEdit(const QString& edited, const Selection& before, EditKind kind) {
    if (mWholeSelected) {
        // The whole text was selected: the change replaced all of it.
        mWholeSelected = false;
        const QByteArray bytes = edited.toUtf8();
        Text removed = std::move(mWhole);
        mWhole.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        mWinBegin = 0;
        mWinEnd = mWhole.size();
        Record({0, std::move(removed), mWhole, kind, before});
    } else {
        // Only the characters between the unchanged start and the unchanged end are replaced.
        const qsizetype common = std::min(mShown.size(), edited.size());
        qsizetype head = 0;
        while (head < common && mShown[head] == edited[head]) {
            ++head;
        }
        if (head > 0 && mShown[head - 1].isHighSurrogate()) {
            --head;
        }
        qsizetype tail = 0;
        while (tail < common - head &&
               mShown[mShown.size() - 1 - tail] == edited[edited.size() - 1 - tail]) {
            ++tail;
        }
        if (tail > 0 && mShown[mShown.size() - tail].isLowSurrogate()) {
            --tail;
        }
        const std::size_t from = OffsetOf(head);
        const std::size_t to = OffsetOf(mShown.size() - tail);
        const QByteArray middle =
            QStringView(edited).sliced(head, edited.size() - tail - head).toUtf8();
        Change change{from, mWhole.substr(from, to - from),
                      Text(middle.constData(), static_cast<std::size_t>(middle.size())), kind,
                      before};
        mWhole.replace(from, to - from, change.Inserted);
        Record(std::move(change));
        mWinEnd = mWinEnd - (to - from) + static_cast<std::size_t>(middle.size());
    }
    // The window's bytes as they now read.
    ReadWindow();
    return mShown != edited;
}

std::size_t CellTextModel::ReplaceSelection(std::string_view text, const Selection& before) {
    std::size_t from = 0;
    std::size_t to = mWhole.size();
    if (!before.Whole) {
        from = std::min({before.Caret, before.Anchor, mWhole.size()});
        to = std::min(std::max(before.Caret, before.Anchor), mWhole.size());
    }
    mWholeSelected = false;
    Change change{from, mWhole.substr(from, to - from), Text(text.data(), text.size()),
                  EditKind::Other, before};
    std::erase_if(change.Inserted, IsForbiddenByte);
    mWhole.replace(from, to - from, change.Inserted);
    const std::size_t caret = from + change.Inserted.size();
    Record(std::move(change));
    return caret;
}

std::optional<CellTextModel::Selection> CellTextModel::Undo() {
    if (!CanUndo()) {
        return std::nullopt;
    }
    const Change& change = mHistory[--mDone];
    mWhole.replace(change.Offset, change.Inserted.size(), change.Removed);
    return change.Before;
}

std::optional<CellTextModel::Selection> CellTextModel::Redo() {
    if (!CanRedo()) {
        return std::nullopt;
    }
    const Change& change = mHistory[mDone++];
    mWhole.replace(change.Offset, change.Removed.size(), change.Inserted);
    const std::size_t caret = change.Offset + change.Inserted.size();
    return Selection{caret, caret, false};
}

void CellTextModel::ClearHistory() noexcept {
    mHistory.clear();
    mDone = 0;
    mHistoryBytes = 0;
    mMergeOpen = false;
}

void CellTextModel::Record(Change change) {
    const auto bytes = [](const Change& c) { return c.Removed.size() + c.Inserted.size(); };
    for (std::size_t i = mDone; i < mHistory.size(); ++i) {
        mHistoryBytes -= bytes(mHistory[i]);
    }
    mHistory.erase(mHistory.begin() + static_cast<std::ptrdiff_t>(mDone), mHistory.end());
    const bool mergeOpen = mMergeOpen && !mHistory.empty() && mHistory.back().Kind == change.Kind;
    mMergeOpen = change.Kind != EditKind::Other;
    mHistoryBytes += bytes(change);
    if (mergeOpen) {
        Change& last = mHistory.back();
        const bool removesOnly = change.Inserted.empty() && last.Inserted.empty();
        if (change.Kind == EditKind::Typing && change.Removed.empty() &&
            change.Offset == last.Offset + last.Inserted.size()) {
            last.Inserted += change.Inserted;
            return;
        }
        if (change.Kind == EditKind::Backspace && removesOnly &&
            change.Offset + change.Removed.size() == last.Offset) {
            last.Removed.insert(0, change.Removed);
            last.Offset = change.Offset;
            return;
        }
        if (change.Kind == EditKind::Delete && removesOnly && change.Offset == last.Offset) {
            last.Removed += change.Removed;
            return;
        }
    }
    mHistory.push_back(std::move(change));
    while (mHistoryBytes > MaxHistoryBytes && mHistory.size() > 1) {
        mHistoryBytes -= bytes(mHistory.front());
        mHistory.erase(mHistory.begin());
    }
    mDone = mHistory.size();
}

} // namespace app
