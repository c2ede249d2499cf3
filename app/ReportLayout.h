#pragma once

#include <QFont>
#include <QPlainTextDocumentLayout>

namespace app {

// The report box's layout: a plain-text layout whose lines stand TextHeight of the document's
// font apart (13 pixels for the window font, where Qt's own spacing of this Tahoma is 10), each
// line's text centred in its height.
class ReportLayout : public QPlainTextDocumentLayout {
    Q_OBJECT
public:
    explicit ReportLayout(QTextDocument* document);

    [[nodiscard]] QRectF blockBoundingRect(const QTextBlock& block) const override;

private:
    [[nodiscard]] int LineHeight() const;

    mutable QFont mMeasured;
    mutable int mLineHeight = 0;
};

} // namespace app
