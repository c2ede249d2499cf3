#include "app/LegendHeading.h"

#include <QPainter>
#include <QStyle>
#include <cmath>

namespace app {

LegendHeading::LegendHeading(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void LegendHeading::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Device pixels per pixel of the label (the screen's scale, or that of a grab).
    const qreal scale = painter.deviceTransform().m22();
    const QFont logical = font();
    if (std::abs(scale - 1.0) < 0.01 || scale <= 0 || logical.pixelSize() <= 0) {
        painter.end();
        QLabel::paintEvent(event);
        return;
    }
    // The font at its size on the screen, in whole pixels; the painter scaled by what is left.
    QFont device = logical;
    const int pixels = std::max(1, static_cast<int>(std::lround(logical.pixelSize() * scale)));
    const qreal factor = static_cast<qreal>(pixels) / logical.pixelSize();
    device.setPixelSize(pixels);
    if (logical.letterSpacingType() == QFont::AbsoluteSpacing) {
        device.setLetterSpacing(QFont::AbsoluteSpacing, logical.letterSpacing() * factor);
    }
    painter.scale(1 / factor, 1 / factor);
    painter.setFont(device);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QRectF area(QPointF(contentsRect().topLeft()) * factor,
                      QSizeF(contentsRect().size()) * factor);
    painter.drawText(
        area, static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment())), text());
}

} // namespace app
