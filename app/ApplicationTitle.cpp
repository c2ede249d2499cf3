#include "app/ApplicationTitle.h"

#include "app/PathText.h"
#include "holiday/FilePaths.h"

#include <QCoreApplication>

namespace app {

QString TitleFromProgramPath(QStringView path) {
    const QString file = PathToQString(holiday::NameOfFile(PathToStdString(path.toString())));
    QStringView name = file;
    if (const qsizetype dot = name.indexOf(u'.'); dot >= 0) {
        name = name.left(dot);
    }
    if (name.isEmpty()) {
        return {};
    }
    // The first character may be a surrogate pair; it stays as it is.
    const qsizetype firstLength =
        (name.size() > 1 && name.at(0).isHighSurrogate() && name.at(1).isLowSurrogate()) ? 2 : 1;
    return name.left(firstLength).toString() + name.mid(firstLength).toString().toLower();
}

const QString& Title() {
    static const QString title = TitleFromProgramPath(QCoreApplication::applicationFilePath());
    return title;
}

} // namespace app
