#include "app/DroppedFile.h"

#include "app/PathText.h"

#include <QMimeData>
#include <QUrl>

namespace app {

std::optional<std::string> DroppedHolidayFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return std::nullopt;
    }
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return std::nullopt;
    }
    const QString path = urls.front().toLocalFile();
    if (!path.endsWith(QStringLiteral(".hol"), Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    return PathToStdString(path);
}

} // namespace app
