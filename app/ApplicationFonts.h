#pragma once

#include <QFont>
#include <QString>

// The fonts of the window. Tahoma comes with the program's environment as two font files;
// RegisterApplicationFonts makes them known to Qt and must run before the first window is
// built. Without them the window font falls back to the system's sans font.

// Registers Tahoma (regular and bold); true when the regular face could be registered.
bool RegisterApplicationFonts();

// The family used for the window font: "Tahoma" once registered, else the system's sans font.
[[nodiscard]] QString WindowFontFamily();

// The window font: Tahoma, 11 pixels high, regular. Every control inherits it.
[[nodiscard]] QFont WindowFont();
// The window font in bold (the legend's headings).
[[nodiscard]] QFont WindowFontBold();
// Tahoma 21 pixels high (the legend's letters A, B, C).
[[nodiscard]] QFont LargeLetterFont();
// The font of the grid's fixed cells: Arial, 11 pixels high, regular.
[[nodiscard]] QFont FixedCellFont();
