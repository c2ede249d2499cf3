#include "app/ReportLayout.h"

#include "app/ApplicationFonts.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

namespace app {

ReportLayout::ReportLayout(QTextDocument* document) : QPlainTextDocumentLayout(document) {}

int ReportLayout::LineHeight() const {
    const QFont font = document()->defaultFont();
    if (mLineHeight == 0 || font != mMeasured) {
        mMeasured = font;
        mLineHeight = TextHeight(font);
    }
    return mLineHeight;
}

QRectF ReportLayout::blockBoundingRect(const QTextBlock& block) const {
    // The plain layout lays the block out when needed; its lines then move to their places.
    QRectF rect = QPlainTextDocumentLayout::blockBoundingRect(block);
    QTextLayout* layout = block.layout();
    if (!rect.isValid() || layout == nullptr || layout->lineCount() == 0) {
        return rect;
    }
    const qreal height = LineHeight();
    for (int i = 0; i < layout->lineCount(); ++i) {
        QTextLine line = layout->lineAt(i);
        const qreal inset = std::max<qreal>(0, (height - line.height()) / 2);
        line.setPosition(QPointF(line.position().x(), i * height + inset));
    }
    rect.setHeight(layout->lineCount() * height +
                   (block.next().isValid() ? 0 : document()->documentMargin()));
    return rect;
}

} // namespace app
