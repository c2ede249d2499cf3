#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace app {

// Measures texts in one font exactly as QFontMetrics::horizontalAdvance does, many times faster
// for the many short texts of a wide header row.
//
// A text of plain characters (letters, digits, punctuation and blanks of scripts written left
// to right without joining, no marks, no controls) measures as the sum of its characters'
// advances and of the adjustments between neighbours (kerning), each measured once by Qt. The
// sum holds where the font's shaping acts on neighbouring pairs only, so each run of three
// characters is checked once against Qt's own width of it; a text with a run that disagrees,
// and any other text, is measured by Qt.
class TextWidthMeter {
public:
    explicit TextWidthMeter(const QFont& font);

    // The width in pixels of text, as QFontMetrics(font).horizontalAdvance(text).
    [[nodiscard]] int Width(const QString& text);

private:
    // Widths in 1/64 pixel, as Qt's layout sums them.
    [[nodiscard]] std::int64_t Measured(const QString& text) const;
    [[nodiscard]] std::int64_t Advance(char16_t c);
    [[nodiscard]] std::int64_t Kerning(char16_t a, char16_t b);
    [[nodiscard]] bool RunAgrees(char16_t a, char16_t b, char16_t c);
    [[nodiscard]] bool Plain(char16_t c);

    QFont mFont;
    QFontMetricsF mMetrics;
    std::vector<std::int64_t> mAdvances; // by character; Unmeasured until needed
    std::vector<signed char> mPlain;     // by character: 1 plain, 0 not, -1 not yet known
    // Between ASCII characters in arrays, between any others in maps.
    std::vector<std::int64_t> mAsciiKerning; // Unmeasured until needed
    std::vector<signed char> mAsciiRuns;     // 1 agrees, 0 not, -1 not yet known
    std::unordered_map<std::uint32_t, std::int64_t> mKerning;
    std::unordered_map<std::uint64_t, bool> mRuns;
};

} // namespace app
