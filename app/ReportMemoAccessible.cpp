#include "app/ReportMemoAccessible.h"

#include "app/ReportMemo.h"
#include "app/ShownText.h"

#include <QAccessibleWidget>
#include <algorithm>

namespace app {

namespace {

// A text up to this many bytes shows whole; a longer one shows the lines in view.
constexpr std::uint64_t WholeTextBytes = std::uint64_t{1} << 20;

[[nodiscard]] int Units(std::string_view text, std::size_t bytes) {
    qsizetype units = 0;
    for (std::size_t at = 0; at < bytes && at < text.size();) {
        const Utf8Char c = DecodeUtf8Char(text, at);
        at += c.Bytes;
        units += Utf16Units(c);
    }
    return static_cast<int>(units);
}

} // namespace

// The report box: an editable text. Its text is the whole report when that is small, or else
// the lines in view (a report may hold more characters than an offset can count).
class ReportMemoAccessible : public QAccessibleWidget,
                             public QAccessibleTextInterface,
                             public QAccessibleEditableTextInterface {
public:
    explicit ReportMemoAccessible(ReportMemo* memo)
        : QAccessibleWidget(memo, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        if (type == QAccessible::EditableTextInterface) {
            return static_cast<QAccessibleEditableTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    [[nodiscard]] QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? WindowText() : QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Value) {
            replaceText(0, characterCount(), text);
        } else {
            QAccessibleWidget::setText(t, text);
        }
    }
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    // QAccessibleTextInterface
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    [[nodiscard]] QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }
    [[nodiscard]] int cursorPosition() const override { return OffsetOf(Memo().Caret()); }
    [[nodiscard]] QRect characterRect(int offset) const override {
        ReportMemo& memo = Memo();
        const QRect rect = memo.PlaceRect(PosOf(offset));
        const QRect wide(rect.x(), rect.y(), memo.fontMetrics().averageCharWidth(), rect.height());
        return {memo.viewport()->mapToGlobal(wide.topLeft()), wide.size()};
    }
    [[nodiscard]] int selectionCount() const override {
        return Memo().Caret() != Memo().Anchor() ? 1 : 0;
    }
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override {
        return OffsetOf(Memo().PosAt(Memo().viewport()->mapFromGlobal(point)));
    }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && selectionCount() == 1) {
            *startOffset = OffsetOf(std::min(Memo().Caret(), Memo().Anchor()));
            *endOffset = OffsetOf(std::max(Memo().Caret(), Memo().Anchor()));
        }
    }
    [[nodiscard]] QString text(int startOffset, int endOffset) const override {
        return WindowText().mid(startOffset, endOffset - startOffset);
    }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex == 0) {
            Memo().SetCaret(Memo().Caret());
        }
    }
    void setCursorPosition(int position) override { Memo().SetCaret(PosOf(position)); }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex == 0) {
            Memo().SetCaret(PosOf(startOffset));
            Memo().SetCaret(PosOf(endOffset), true);
        }
    }
    [[nodiscard]] int characterCount() const override {
        return static_cast<int>(WindowText().size());
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        Memo().SetCaret(PosOf(endIndex));
        Memo().SetCaret(PosOf(startIndex));
    }

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override {
        replaceText(startOffset, endOffset, {});
    }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        Memo().SetCaret(PosOf(startOffset));
        Memo().SetCaret(PosOf(endOffset), true);
        const QByteArray bytes = text.toUtf8();
        Memo().InsertText(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }

    // The lines shown to assistive technology.
    [[nodiscard]] std::pair<std::int64_t, std::int64_t> Window() const {
        const ReportLines& lines = Memo().Store();
        if (lines.TextBytes() <= WholeTextBytes) {
            return {0, lines.LineCount() - 1};
        }
        const std::int64_t first = Memo().TopRow().Line;
        const std::int64_t rows = std::max(1, Memo().viewport()->height() / 8);
        return {first, std::min(first + rows, lines.LineCount() - 1)};
    }
    [[nodiscard]] QString WindowText() const {
        const auto [first, last] = Window();
        const ReportLines& lines = Memo().Store();
        return FromUtf8(lines.Text({first, 0}, {last, lines.Line(last).size()}));
    }
    // A place as an offset into the window's text (clamped into the window), and back.
    [[nodiscard]] int OffsetOf(ReportPos pos) const {
        const auto [first, last] = Window();
        const ReportLines& lines = Memo().Store();
        if (pos.Line < first) {
            return 0;
        }
        int offset = 0;
        for (std::int64_t line = first; line <= last; ++line) {
            const std::string_view text = lines.Line(line);
            if (line == pos.Line) {
                return offset + Units(text, pos.Byte);
            }
            offset += Units(text, text.size()) + 1;
        }
        return std::max(0, offset - 1);
    }
    [[nodiscard]] ReportPos PosOf(int offset) const {
        const auto [first, last] = Window();
        const ReportLines& lines = Memo().Store();
        for (std::int64_t line = first;; ++line) {
            const std::string_view text = lines.Line(line);
            std::size_t at = 0;
            while (at < text.size()) {
                const Utf8Char c = DecodeUtf8Char(text, at);
                if (offset < Utf16Units(c)) {
                    return {line, at};
                }
                offset -= static_cast<int>(Utf16Units(c));
                at += c.Bytes;
            }
            if (offset == 0 || line == last) {
                return {line, at};
            }
            --offset; // the line break
        }
    }

private:
    [[nodiscard]] ReportMemo& Memo() const { return *static_cast<ReportMemo*>(widget()); }
};

void InstallReportMemoAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(
            [](const QString& className, QObject* object) -> QAccessibleInterface* {
                if (object != nullptr && object->isWidgetType() &&
                    className == QLatin1String(ReportMemo::staticMetaObject.className())) {
                    return new ReportMemoAccessible(static_cast<ReportMemo*>(object));
                }
                return nullptr;
            });
        return true;
    }();
    (void)installed;
}

int AccessibleCaretOffset(ReportMemo& memo) {
    auto* shown = dynamic_cast<ReportMemoAccessible*>(QAccessible::queryAccessibleInterface(&memo));
    return shown != nullptr ? shown->cursorPosition() : 0;
}

} // namespace app
