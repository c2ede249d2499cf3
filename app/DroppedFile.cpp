#include "app/DroppedFile.h"

#include "app/PathText.h"

#include <QMimeData>
#include <QUrl>

namespace app {

namespace {

std::optional<std::string> DroppedFileNamed(const QMimeData* data, const QString& extension) {
    if (data == nullptr || !data->hasUrls()) {
        return std::nullopt;
    }
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return std::nullopt;
    }
    const QString path = urls.front().toLocalFile();
    if (!path.endsWith(extension, Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    return PathToStdString(path);
}

} // namespace

std::optional<std::string> DroppedHolidayFile(const QMimeData* data) {
    return DroppedFileNamed(data, QStringLiteral(".hol"));
}

std::optional<std::string> DroppedCalendarFile(const QMimeData* data) {
    return DroppedFileNamed(data, QStringLiteral(".ics"));
}

} // namespace app
