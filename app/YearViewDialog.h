#pragma once

#include "holiday/HolidayTableObserver.h"
#include "rules/LocaleDateSettings.h"
// moc reads these headers as C++17, which <compare> is not.
#ifndef Q_MOC_RUN
#include "app/YearViewExport.h"
#include "rules/RuleWalk.h"
#include "rules/YearHolidays.h"
#endif

#include <QDialog>
#include <QTimer>
#include <cstdint>

class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QSpinBox;
class QStackedWidget;

namespace holiday {
class HolidayTable;
}

namespace app {

class YearViewListModel;
class YearViewMonths;

// The year view: one configuration column of the table for one year as the calendar will show
// it (YearViewMonths), the list of that year's holidays beside it, the year from a spin box (the
// current year at first; 1 to 9999) and the configuration from a combo box of the header texts
// of the columns from 5 on. A faulty rule shows its message, the text "test" shows for it, in
// place of the months; a table without configuration columns says so.
//
// It is no modal dialog: the user edits the table while it is open. It observes the table and
// works out the year again once the events of a change are done (at once when that is cheap,
// else when the changes pause), and only while it is shown; changes of cells that neither
// hold rules nor the shown column's marks cost nothing. It closes with its parent window.
class YearViewDialog : public QDialog, private holiday::HolidayTableObserver {
    Q_OBJECT
public:
    // table and settings must outlive the dialog: the owner deletes it before the table.
    YearViewDialog(holiday::HolidayTable& table, const rules::LocaleDateSettings& settings,
                   QWidget* parent);
    ~YearViewDialog() override;

    YearViewDialog(const YearViewDialog&) = delete;
    YearViewDialog& operator=(const YearViewDialog&) = delete;

    // Shows the dialog (raised and active) for configuration column col; a column that is no
    // configuration column of the table keeps the one shown.
    void ShowColumn(std::int32_t col);

    // The configuration column shown; -1 when the table has none.
    [[nodiscard]] std::int32_t Column() const noexcept { return mColumn; }
    // What the months show, worked out again first when the table changed.
    [[nodiscard]] const rules::YearHolidays& Holidays();
    // The message shown in place of the months; empty while they show.
    [[nodiscard]] QString Message() const;

    // Asks for a file name (ExportDialog) and writes the shown year there as a PDF or a PNG, by
    // the name's extension. Throws holiday::EFCreateError when the file cannot be written.
    void Export();
    [[nodiscard]] YearViewExportDialog& ExportDialog() noexcept { return mExportDialog; }

    // --- Controls ---
    QComboBox* Configuration = nullptr;
    QSpinBox* YearBox = nullptr;
    QPushButton* ExportButton = nullptr;
    QPushButton* CloseButton = nullptr;
    YearViewMonths* Months = nullptr;
    QListView* List = nullptr;
    QLabel* DayLine = nullptr;
    QLabel* MessageLabel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // holiday::HolidayTableObserver
    void CellsChanged(holiday::GridCoord first, holiday::GridCoord last) override;
    void ExtentChanged(holiday::GridCoord oldExtent) override;

    void Schedule();
    // Works out what is out of date, when shown.
    void Update();
    void FillConfigurations();
    void ComputeYear();
    void ShowMessage(const QString& text);
    void ShowDay(std::optional<rules::CalendarDate> date);
    [[nodiscard]] QString Caption() const;

    holiday::HolidayTable& mTable;
    const rules::LocaleDateSettings& mSettings;
    rules::RuleWalk mWalk;
    rules::YearHolidays mHolidays;
    YearViewListModel* mListModel = nullptr;
    QStackedWidget* mPages = nullptr;
    QWidget* mMonthsPage = nullptr;
    YearViewExportDialog mExportDialog;
    QTimer mTimer;
    std::int32_t mColumn = -1;
    bool mColumnsDirty = true;
    bool mYearDirty = true;
    // How long the last work-out took: when it was dear, changes wait for a pause.
    qint64 mLastCostMs = 0;
};

} // namespace app
