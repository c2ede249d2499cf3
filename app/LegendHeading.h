#pragma once

#include <QLabel>

namespace app {

// A heading of the legend: a plain-text label in the bold window font that is bold at every
// scale of the screen. The window font's bold is the regular outlines emboldened as the font is
// rasterised, by an amount that follows the size the font is made at; Qt makes the font at its
// own pixel size and scales the outlines for a screen of more device pixels, which leaves the
// strokes hardly thicker than regular ones there. The heading draws its text in device pixels,
// with the font made at the size it has on the screen, so the strokes keep their weight. At one
// device pixel per pixel it draws as any label does.
class LegendHeading : public QLabel {
    Q_OBJECT
public:
    explicit LegendHeading(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace app
