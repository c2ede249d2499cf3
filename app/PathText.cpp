#include "app/PathText.h"

#include <QByteArray>
#include <QFile>

namespace app {

QString PathToQString(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathToStdString(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace app
