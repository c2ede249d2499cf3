#pragma once

#include <QFont>
#include <QString>

namespace app {

// The fonts of the window. Tahoma comes with the program's environment as a font file;
// RegisterApplicationFonts makes it known to Qt and must run before the first window is built.
// Without it the window font falls back to the system's sans font.

// Registers Tahoma; true when the regular face could be registered.
bool RegisterApplicationFonts();

// The family used for the window font: "Tahoma" once registered, else the system's sans font.
[[nodiscard]] QString WindowFontFamily();

// The window font: Tahoma, 11 pixels high, regular. Every control inherits it.
[[nodiscard]] QFont WindowFont();
// The window font in bold (the legend's headings): the regular outlines emboldened, spaced so
// that "Feast day / holiday title" is as wide as the design's 134 pixels.
[[nodiscard]] QFont WindowFontBold();
// Tahoma 21 pixels high (the legend's letters A, B, C).
[[nodiscard]] QFont LargeLetterFont();
// The font of the grid's fixed cells: Arial, 11 pixels high, regular.
[[nodiscard]] QFont FixedCellFont();

// The text height of font as the design counts it: the font's Windows ascent plus descent
// (OS/2 usWinAscent and usWinDescent), each rounded to pixels; 13 for the window font, where
// Qt's own line height gives 11. Fonts without those metrics give QFontMetrics::height().
[[nodiscard]] int TextHeight(const QFont& font);

} // namespace app
