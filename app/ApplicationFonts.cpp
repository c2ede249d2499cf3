#include "app/ApplicationFonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QRawFont>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace app {

namespace {

constexpr int WindowFontPixels = 11;
constexpr int LargeLetterPixels = 21;

// Only the regular face: the outlines of the bold file that comes with it are regular (only its
// small embedded bitmaps are bold), so the bold headings are drawn from the regular outlines,
// emboldened by FreeType.
const char* const TahomaFile = "/usr/share/wine/fonts/tahoma.ttf";

// The legend's longest bold heading and its width in the design. Emboldening thickens the
// strokes but keeps the regular advances; the bold font gets the letter spacing that brings
// this heading to its designed width, which puts the shorter ones within a pixel or two.
const char* const BoldReferenceText = "Feast day / holiday title";
constexpr qreal BoldReferenceWidth = 134;

bool& TahomaRegistered() {
    static bool registered = false;
    return registered;
}

QFont MakeFont(const QString& family, int pixels, bool bold) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

bool RegisterApplicationFonts() {
    bool regular = false;
    const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(TahomaFile));
    if (id >= 0) {
        regular = QFontDatabase::applicationFontFamilies(id).contains(QStringLiteral("Tahoma"));
    }
    TahomaRegistered() = regular || QFontDatabase::families().contains(QStringLiteral("Tahoma"));
    return TahomaRegistered();
}

QString WindowFontFamily() {
    if (TahomaRegistered()) {
        return QStringLiteral("Tahoma");
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QFont WindowFont() {
    return MakeFont(WindowFontFamily(), WindowFontPixels, false);
}

QFont WindowFontBold() {
    QFont font = MakeFont(WindowFontFamily(), WindowFontPixels, true);
    const QString reference = QString::fromUtf8(BoldReferenceText);
    const qreal width = QFontMetricsF(font).horizontalAdvance(reference);
    const qreal spacing = (BoldReferenceWidth - width) / static_cast<qreal>(reference.size());
    if (spacing > 0) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    }
    return font;
}

QFont LargeLetterFont() {
    return MakeFont(WindowFontFamily(), LargeLetterPixels, false);
}

QFont FixedCellFont() {
    return MakeFont(QStringLiteral("Arial"), WindowFontPixels, false);
}

int TextHeight(const QFont& font) {
    const int qtHeight = QFontMetrics(font).height();
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.fontTable("OS/2");
    const QByteArray head = raw.fontTable("head");
    constexpr int WinAscentAt = 74;
    constexpr int WinDescentAt = 76;
    constexpr int UnitsPerEmAt = 18;
    if (os2.size() < WinDescentAt + 2 || head.size() < UnitsPerEmAt + 2) {
        return qtHeight;
    }
    const auto u16 = [](const QByteArray& table, int at) {
        return qFromBigEndian<quint16>(table.constData() + at);
    };
    const int unitsPerEm = u16(head, UnitsPerEmAt);
    if (unitsPerEm == 0) {
        return qtHeight;
    }
    const qreal pixels = raw.pixelSize() / unitsPerEm;
    const auto ascent = static_cast<int>(std::lround(u16(os2, WinAscentAt) * pixels));
    const auto descent = static_cast<int>(std::lround(u16(os2, WinDescentAt) * pixels));
    return std::max(ascent + descent, 1);
}

} // namespace app
