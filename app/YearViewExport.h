#pragma once

#include "app/YearViewSheet.h"

#include <QByteArray>
#include <QPointer>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class QFileDialog;
class QWidget;

namespace app {

// The year view as a file: a PNG image of the sheet, or a PDF document of A4 landscape pages,
// the sheet on the first and the list of the year's holidays with their dates on the pages
// after it.
enum class YearViewFormat { Pdf, Png };

// The PNG's size: an A4 landscape page at 150 pixels per inch.
inline constexpr QSize YearViewPngSize{1754, 1240};

// Png when path ends in ".png" (in any case), else Pdf.
[[nodiscard]] YearViewFormat FormatOfPath(const std::string& path);

// The file's bytes; the sheet is drawn in black on white whatever the desktop's colours.
[[nodiscard]] QByteArray YearViewPng(const YearViewSheet& sheet);
// title names the document (its metadata); the list lines are the holidays' date and titles
// in the user's locale.
[[nodiscard]] QByteArray YearViewPdf(const YearViewSheet& sheet,
                                     const rules::YearHolidays& holidays,
                                     const rules::LocaleDateSettings& settings,
                                     const QString& title);

// The export's save dialog: the filters "PDF document (*.pdf)" and "PNG image (*.png)", the
// extension of the chosen filter added to a name without one, a question before an existing
// file is replaced. It remembers the folder between uses.
class YearViewExportDialog {
public:
    // Runs in place of the modal loop: receives Qt's dialog, built and preset, and returns the
    // confirmed path or nullopt for a cancel.
    using ExecutorFunction = std::function<std::optional<std::string>(QFileDialog&)>;

    static constexpr const char* PdfFilter = "PDF document (*.pdf)";
    static constexpr const char* PngFilter = "PNG image (*.png)";

    explicit YearViewExportDialog(QWidget* parent);

    // Shows the dialog modally with fileName (a name without folder) proposed; the path the
    // user confirmed, or nullopt.
    [[nodiscard]] std::optional<std::string> Execute(const QString& fileName);

    // When set, Execute calls it instead of running the modal loop.
    ExecutorFunction Executor;

private:
    QPointer<QWidget> mParent;
    QString mFolder;
};

} // namespace app
