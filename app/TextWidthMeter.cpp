#include "app/TextWidthMeter.h"

#include <QFontMetrics>
#include <cmath>

namespace app {

namespace {

constexpr std::int64_t Unmeasured = INT64_MIN;

// Characters whose advance does not depend on their neighbours beyond kerning: no marks,
// controls or surrogates, nothing written right to left or joined to its neighbours.
[[nodiscard]] bool IsPlain(char16_t unit) noexcept {
    const QChar c(unit);
    if (c.isSurrogate() || c.isNonCharacter() || unit < 0x20 || (unit >= 0x7F && unit < 0xA0)) {
        return false;
    }
    switch (c.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        break;
    }
    switch (c.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
        return c.direction() == QChar::DirL || c.direction() == QChar::DirEN ||
               c.direction() == QChar::DirES || c.direction() == QChar::DirET ||
               c.direction() == QChar::DirCS || c.direction() == QChar::DirWS ||
               c.direction() == QChar::DirON;
    default:
        return false;
    }
}

// Pixels from 1/64 pixels, rounded as Qt rounds a layout's width.
[[nodiscard]] int ToPixels(std::int64_t units) noexcept {
    return static_cast<int>(((units + 32) & ~std::int64_t{63}) >> 6);
}

} // namespace

TextWidthMeter::TextWidthMeter(const QFont& font)
    : mFont(font), mMetrics(font), mAdvances(0x10000, Unmeasured), mPlain(0x10000, -1),
      mAsciiKerning(128 * 128, Unmeasured), mAsciiRuns(128 * 128 * 128, -1) {}

bool TextWidthMeter::Plain(char16_t c) {
    signed char& plain = mPlain[c];
    if (plain < 0) {
        plain = IsPlain(c) ? 1 : 0;
    }
    return plain == 1;
}

std::int64_t TextWidthMeter::Measured(const QString& text) const {
    return std::llround(mMetrics.horizontalAdvance(text) * 64);
}

std::int64_t TextWidthMeter::Advance(char16_t c) {
    std::int64_t& advance = mAdvances[c];
    if (advance == Unmeasured) {
        advance = Measured(QString(QChar(c)));
    }
    return advance;
}

std::int64_t TextWidthMeter::Kerning(char16_t a, char16_t b) {
    auto measure = [&] {
        const QChar pair[2] = {QChar(a), QChar(b)};
        return Measured(QString(pair, 2)) - Advance(a) - Advance(b);
    };
    if (a < 128 && b < 128) {
        std::int64_t& kerning = mAsciiKerning[a * 128u + b];
        if (kerning == Unmeasured) {
            kerning = measure();
        }
        return kerning;
    }
    const std::uint32_t key = (std::uint32_t{a} << 16) | b;
    const auto it = mKerning.find(key);
    return it != mKerning.end() ? it->second : mKerning.emplace(key, measure()).first->second;
}

bool TextWidthMeter::RunAgrees(char16_t a, char16_t b, char16_t c) {
    auto measure = [&] {
        const QChar run[3] = {QChar(a), QChar(b), QChar(c)};
        return Measured(QString(run, 3)) ==
               Advance(a) + Advance(b) + Advance(c) + Kerning(a, b) + Kerning(b, c);
    };
    if (a < 128 && b < 128 && c < 128) {
        signed char& agrees = mAsciiRuns[(a * 128u + b) * 128u + c];
        if (agrees < 0) {
            agrees = measure() ? 1 : 0;
        }
        return agrees == 1;
    }
    const std::uint64_t key = (std::uint64_t{a} << 32) | (std::uint64_t{b} << 16) | c;
    const auto it = mRuns.find(key);
    return it != mRuns.end() ? it->second : mRuns.emplace(key, measure()).first->second;
}

int TextWidthMeter::Width(const QString& text) {
    const qsizetype n = text.size();
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    std::int64_t sum = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = units[i];
        if (!Plain(c) || (i >= 2 && !RunAgrees(units[i - 2], units[i - 1], c))) {
            return QFontMetrics(mFont).horizontalAdvance(text);
        }
        sum += Advance(c) + (i > 0 ? Kerning(units[i - 1], c) : 0);
    }
    return ToPixels(sum);
}

} // namespace app
