#include "app/YearViewExport.h"

#include "app/PathText.h"
#include "app/ShownText.h"
#include "rules/DateConversion.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

namespace app {

namespace {

// The page's colours: black on white.
QPalette PaperPalette() {
    QPalette paper;
    paper.setColor(QPalette::Base, Qt::white);
    paper.setColor(QPalette::Text, Qt::black);
    paper.setColor(QPalette::Highlight, Qt::black);
    return paper;
}

// A line of the list shows at most this many characters of a title.
constexpr qsizetype MaxTitleListed = 300;

QColor ListColour(rules::DayColour colour) {
    switch (colour) {
    case rules::DayColour::Sunday:
        return SundayColour;
    case rules::DayColour::Saturday:
        return SaturdayColour;
    case rules::DayColour::TitleOnly:
        break;
    }
    return Qt::black;
}

} // namespace

YearViewFormat FormatOfPath(const std::string& path) {
    return PathToQString(path).endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)
               ? YearViewFormat::Png
               : YearViewFormat::Pdf;
}

QByteArray YearViewPng(const YearViewSheet& sheet) {
    QImage image(YearViewPngSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        const double margin = YearViewPngSize.width() * 0.02;
        sheet.Paint(painter,
                    QRectF(QPointF(0, 0), QSizeF(YearViewPngSize))
                        .adjusted(margin, margin, -margin, -margin),
                    PaperPalette());
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray YearViewPdf(const YearViewSheet& sheet, const rules::YearHolidays& holidays,
                       const rules::LocaleDateSettings& settings, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Mirevo Holiday Generator"));
        writer.setResolution(150);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        QPainter painter(&writer);
        const QRectF page(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
        sheet.Paint(painter, page, PaperPalette());

        // The list, in two columns a page.
        QFont font = painter.font();
        font.setPixelSize(std::max(1, static_cast<int>(page.height() / 48)));
        painter.setFont(font);
        const double lineHeight = painter.fontMetrics().lineSpacing();
        const int linesPerColumn = std::max(1, static_cast<int>(page.height() / lineHeight));
        const double columnWidth = page.width() / 2;
        int line = 0;
        for (const rules::YearHoliday& holiday : holidays.Holidays()) {
            if (line % (2 * linesPerColumn) == 0) {
                writer.newPage();
            }
            const int onPage = line % (2 * linesPerColumn);
            const QRectF where(page.left() + (onPage / linesPerColumn) * columnWidth,
                               page.top() + (onPage % linesPerColumn) * lineHeight,
                               columnWidth * 0.97, lineHeight);
            const QString text = FromUtf8(rules::FormatShortDate(holiday.Date, settings)) +
                                 QStringLiteral("  ") + ElidedLine(holiday.Title, MaxTitleListed);
            painter.setPen(ListColour(holiday.Colour));
            painter.drawText(where, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                             painter.fontMetrics().elidedText(text, Qt::ElideRight,
                                                              static_cast<int>(where.width())));
            ++line;
        }
    }
    return bytes;
}

YearViewExportDialog::YearViewExportDialog(QWidget* parent)
    : mParent(parent), mFolder(QDir::homePath()) {}

std::optional<std::string> YearViewExportDialog::Execute(const QString& fileName) {
    QFileDialog dialog(mParent.data(), QStringLiteral("Export year view"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString pdf = QString::fromUtf8(PdfFilter);
    const QString png = QString::fromUtf8(PngFilter);
    dialog.setNameFilters({pdf, png});
    dialog.selectNameFilter(pdf);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog, png](const QString& filter) {
            dialog.setDefaultSuffix(filter == png ? QStringLiteral("png") : QStringLiteral("pdf"));
        });
    dialog.setDirectory(mFolder);
    dialog.selectFile(fileName);
    std::optional<std::string> path;
    if (Executor) {
        path = Executor(dialog);
    } else if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        path = PathToStdString(dialog.selectedFiles().constFirst());
    }
    if (path) {
        mFolder = QFileInfo(PathToQString(*path)).absolutePath();
    }
    return path;
}

} // namespace app
