#include "app/GridCellEditor.h"

#include "app/ErrorDisplay.h"
#include "app/ShownText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>
#include <cstring>
#include <limits>

namespace app {

namespace {

// How near (in UTF-16 code units) the caret may come to an end of the window before the
// window moves on.
constexpr qsizetype WindowMargin = 1024;

[[nodiscard]] bool IsForbidden(QChar c) noexcept {
    return c.unicode() == 0x0000 || c.unicode() == 0x0001;
}

[[nodiscard]] bool IsForbiddenByte(char c) noexcept {
    return c == '\0' || c == '\x01';
}

[[nodiscard]] bool IsContinuation(char c) noexcept {
    return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u;
}

[[nodiscard]] bool MatchesAny(const QKeyEvent* event,
                              std::initializer_list<QKeySequence::StandardKey> keys) {
    return std::any_of(keys.begin(), keys.end(),
                       [event](QKeySequence::StandardKey key) { return event->matches(key); });
}

} // namespace

GridCellEditor::GridCellEditor(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The window may grow past WindowBytes while the user types; it is never cut.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &GridCellEditor::OnWindowTextChanged);
    // The line edit signals its caret and selection after its text has changed, so the last
    // ones noted are those from before a change.
    connect(this, &QLineEdit::cursorPositionChanged, this, &GridCellEditor::NoteSelection);
    connect(this, &QLineEdit::selectionChanged, this, &GridCellEditor::NoteSelection);
}

void GridCellEditor::SetWholeText(std::string_view text) {
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
    ShowWindow(mWhole.size(), mWhole.size());
}

void GridCellEditor::SelectWholeText() {
    mMergeOpen = false;
    ShowWindow(0, 0);
    selectAll();
    mWholeSelected = mWinBegin > 0 || mWinEnd < mWhole.size();
}

void GridCellEditor::MoveCaretToEnd() {
    mMergeOpen = false;
    mWholeSelected = false;
    ShowWindow(mWhole.size(), mWhole.size());
}

void GridCellEditor::ReplaceShownText(qsizetype start, qsizetype end, const QString& text) {
    mMergeOpen = false;
    mWholeSelected = false;
    const auto size = static_cast<int>(this->text().size());
    const int from = std::clamp(static_cast<int>(start), 0, size);
    const int to = std::clamp(static_cast<int>(end), from, size);
    if (to > from) {
        setSelection(from, to - from);
    } else {
        setCursorPosition(from);
    }
    insert(text);
}

std::size_t GridCellEditor::OffsetOf(qsizetype position) const {
    const std::string_view window(mWhole.data(), mWinEnd);
    std::size_t at = mWinBegin;
    for (qsizetype units = 0; units < position && at < mWinEnd;) {
        const Utf8Char c = DecodeUtf8Char(window, at);
        units += c.CodePoint >= 0x10000 ? 2 : 1;
        at += c.Bytes;
    }
    return at;
}

qsizetype GridCellEditor::PositionOf(std::size_t offset) const {
    const std::string_view window(mWhole.data(), mWinEnd);
    std::size_t at = mWinBegin;
    qsizetype units = 0;
    while (at < offset && at < mWinEnd) {
        const Utf8Char c = DecodeUtf8Char(window, at);
        units += c.CodePoint >= 0x10000 ? 2 : 1;
        at += c.Bytes;
    }
    return units;
}

std::size_t GridCellEditor::AnchorOffset() const {
    const qsizetype caret = cursorPosition();
    if (!hasSelectedText()) {
        return OffsetOf(caret);
    }
    return OffsetOf(caret == selectionStart() ? selectionEnd() : selectionStart());
}

void GridCellEditor::ShowWindow(std::size_t caret, std::size_t anchor) {
    const std::size_t size = mWhole.size();
    caret = std::min(caret, size);
    std::size_t begin = 0;
    std::size_t end = size;
    if (size > WindowBytes) {
        begin = caret > WindowBytes / 2 ? caret - WindowBytes / 2 : 0;
        end = std::min(size, begin + WindowBytes);
        begin = end - WindowBytes;
        // Cut between characters: a continuation byte belongs to the character before it.
        for (int k = 0; k < 3 && begin > 0 && IsContinuation(mWhole[begin]); ++k) {
            --begin;
        }
        for (int k = 0; k < 3 && end < size && IsContinuation(mWhole[end]); ++k) {
            --end;
        }
    }
    mWinBegin = begin;
    mWinEnd = end;
    mShown = FromUtf8(std::string_view(mWhole).substr(begin, end - begin));
    mSettingWindow = true;
    setText(mShown);
    mSettingWindow = false;
    const auto caretPos = static_cast<int>(PositionOf(std::clamp(caret, begin, end)));
    const auto anchorPos = static_cast<int>(PositionOf(std::clamp(anchor, begin, end)));
    if (anchorPos == caretPos) {
        setCursorPosition(caretPos);
    } else {
        setSelection(anchorPos, caretPos - anchorPos);
    }
}

void GridCellEditor::FollowCaret() {
    const bool wholeShown = mWinBegin == 0 && mWinEnd == mWhole.size();
    const std::size_t shownBytes = mWinEnd - mWinBegin;
    if (mWholeSelected || (wholeShown && shownBytes <= 2 * WindowBytes)) {
        return;
    }
    const qsizetype caret = cursorPosition();
    const bool nearStart = mWinBegin > 0 && caret < WindowMargin;
    const bool nearEnd = mWinEnd < mWhole.size() && text().size() - caret < WindowMargin;
    const bool unfit =
        shownBytes > 2 * WindowBytes || (!wholeShown && mWhole.size() <= WindowBytes);
    if (nearStart || nearEnd || unfit) {
        const bool mergeOpen = mMergeOpen; // the caret stays where it is in the whole text
        ShowWindow(OffsetOf(caret), AnchorOffset());
        mMergeOpen = mergeOpen;
    }
}

void GridCellEditor::OnWindowTextChanged(const QString& text) {
    RunGuarded(this, [&] {
        if (mSettingWindow || mCleaning) {
            return;
        }
        const Selection before = SelectionBeforeChange();
        QString clean = text;
        if (std::any_of(text.begin(), text.end(), IsForbidden)) {
            const int caret = cursorPosition();
            const auto droppedBeforeCaret = std::count_if(
                text.begin(), text.begin() + std::min(caret, static_cast<int>(text.size())),
                IsForbidden);
            clean.removeIf(IsForbidden);
            mCleaning = true;
            setText(clean);
            mCleaning = false;
            setCursorPosition(caret - static_cast<int>(droppedBeforeCaret));
        }

        if (mWholeSelected) {
            // The whole text was selected: the change replaced all of it.
            mWholeSelected = false;
            const QByteArray bytes = clean.toUtf8();
            Text removed = std::move(mWhole);
            mWhole.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            mWinBegin = 0;
            mWinEnd = mWhole.size();
            Record({0, std::move(removed), mWhole, mKeyKind, before});
        } else {
            // Only the characters between the unchanged start and the unchanged end are replaced.
            const qsizetype common = std::min(mShown.size(), clean.size());
            qsizetype head = 0;
            while (head < common && mShown[head] == clean[head]) {
                ++head;
            }
            if (head > 0 && mShown[head - 1].isHighSurrogate()) {
                --head;
            }
            qsizetype tail = 0;
            while (tail < common - head &&
                   mShown[mShown.size() - 1 - tail] == clean[clean.size() - 1 - tail]) {
                ++tail;
            }
            if (tail > 0 && mShown[mShown.size() - tail].isLowSurrogate()) {
                --tail;
            }
            const std::size_t from = OffsetOf(head);
            const std::size_t to = OffsetOf(mShown.size() - tail);
            const QByteArray middle =
                QStringView(clean).sliced(head, clean.size() - tail - head).toUtf8();
            Change change{from, mWhole.substr(from, to - from),
                          Text(middle.constData(), static_cast<std::size_t>(middle.size())),
                          mKeyKind, before};
            mWhole.replace(from, to - from, change.Inserted);
            Record(std::move(change));
            mWinEnd = mWinEnd - (to - from) + static_cast<std::size_t>(middle.size());
        }
        // The window's bytes as they now read (a change next to bytes that are no well-formed
        // UTF-8 can make them read differently).
        mShown = FromUtf8(std::string_view(mWhole).substr(mWinBegin, mWinEnd - mWinBegin));
        if (mShown != clean) {
            const int caret = cursorPosition();
            mSettingWindow = true;
            setText(mShown);
            mSettingWindow = false;
            setCursorPosition(std::min(caret, static_cast<int>(mShown.size())));
        }
        emit CellTextChanged();
        if (mWinEnd - mWinBegin > 2 * WindowBytes) {
            // A change made from code (insert, paste); key presses move the window at once.
            QMetaObject::invokeMethod(this, Guarded(this, [this] { FollowCaret(); }),
                                      Qt::QueuedConnection);
        }
    });
}

bool GridCellEditor::event(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plainTab = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
                              !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plainTab && OnTab) {
            const bool forward =
                key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
            RunGuarded(this, [&] { OnTab(forward); });
            return true;
        }
    }
    const bool handled = QLineEdit::event(event);
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        mMergeOpen = false; // the caret moves; a run of typing ends
        [[fallthrough]];
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Drop:
        RunGuarded(this, [this] {
            if (mWholeSelected && selectedText().size() != text().size()) {
                mWholeSelected = false;
            }
            FollowCaret();
        });
        break;
    default:
        break;
    }
    return handled;
}

void GridCellEditor::keyPressEvent(QKeyEvent* event) {
    RunGuarded(this, [&] {
        if (OnKey && OnKey(event)) {
            event->accept();
            return;
        }
        event->accept();
        if (event->matches(QKeySequence::Undo)) {
            Undo();
            return;
        }
        if (event->matches(QKeySequence::Redo)) {
            Redo();
            return;
        }
        if (event->matches(QKeySequence::Paste)) {
            // Qt's text widgets are not safe with a clipboard that holds nothing: a paste of
            // nothing does nothing.
            const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
            if (mime == nullptr || !mime->hasText()) {
                return;
            }
        }
        if (event->matches(QKeySequence::SelectAll)) {
            SelectWholeText();
            return;
        }
        if (mWholeSelected && MatchesAny(event, {QKeySequence::Copy, QKeySequence::Cut})) {
            CopyOrCut(event->matches(QKeySequence::Cut));
            return;
        }
        const bool toStart = MatchesAny(
            event, {QKeySequence::MoveToStartOfLine, QKeySequence::MoveToStartOfDocument,
                    QKeySequence::SelectStartOfLine, QKeySequence::SelectStartOfDocument});
        const bool toEnd =
            MatchesAny(event, {QKeySequence::MoveToEndOfLine, QKeySequence::MoveToEndOfDocument,
                               QKeySequence::SelectEndOfLine, QKeySequence::SelectEndOfDocument});
        if ((toStart && mWinBegin > 0) || (toEnd && mWinEnd < mWhole.size())) {
            const bool selecting = event->modifiers() & Qt::ShiftModifier;
            const std::size_t target = toStart ? 0 : mWhole.size();
            const std::size_t anchor = selecting ? AnchorOffset() : target;
            mWholeSelected = false;
            mMergeOpen = false;
            ShowWindow(target, anchor);
        }
        // A key that moves the caret or the selection without a change ends a run of typing, as in
        // an ordinary line edit.
        const qsizetype caret = cursorPosition();
        const qsizetype selection = selectionStart();
        mChanged = false;
        mKeyKind = KindOf(event);
        QLineEdit::keyPressEvent(event);
        mKeyKind = EditKind::Other;
        if (!mChanged && (cursorPosition() != caret || selectionStart() != selection)) {
            mMergeOpen = false;
        }
        event->accept();
    });
}

} // namespace app
