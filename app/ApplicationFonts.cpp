#include "app/ApplicationFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

constexpr int WindowFontPixels = 11;
constexpr int LargeLetterPixels = 21;

const char* const TahomaFiles[] = {"/usr/share/wine/fonts/tahoma.ttf",
                                   "/usr/share/wine/fonts/tahomabd.ttf"};

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
    for (const char* file : TahomaFiles) {
        const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(file));
        if (id >= 0 && file == TahomaFiles[0]) {
            regular = QFontDatabase::applicationFontFamilies(id).contains(QStringLiteral("Tahoma"));
        }
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
    return MakeFont(WindowFontFamily(), WindowFontPixels, true);
}

QFont LargeLetterFont() {
    return MakeFont(WindowFontFamily(), LargeLetterPixels, false);
}

QFont FixedCellFont() {
    return MakeFont(QStringLiteral("Arial"), WindowFontPixels, false);
}
