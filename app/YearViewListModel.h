#pragma once

#include "rules/LocaleDateSettings.h"
#include "rules/YearHolidays.h"

#include <QAbstractListModel>

namespace app {

// The holidays of a year view as a list, one row each in date order: "<date>: <title>" with the
// date in the user's locale, in Sunday's or Saturday's colour for a day marked "#" or "*".
class YearViewListModel : public QAbstractListModel {
public:
    explicit YearViewListModel(QObject* parent = nullptr);

    // Shows holidays (which must outlive the model, until the next call), or nothing.
    void SetHolidays(const rules::YearHolidays* holidays,
                     const rules::LocaleDateSettings* settings);

    // The holiday of row; null for a row out of range.
    [[nodiscard]] const rules::YearHoliday* HolidayAt(int row) const noexcept;
    // The first row on date; -1 when none.
    [[nodiscard]] int FirstRowOn(rules::CalendarDate date) const noexcept;

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

private:
    const rules::YearHolidays* mHolidays = nullptr;
    const rules::LocaleDateSettings* mSettings = nullptr;
};

} // namespace app
