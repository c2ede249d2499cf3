#pragma once

#include "app/YearViewSheet.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

namespace app {

// The twelve months of a year view on the screen (YearViewSheet), with a day to select: by a
// click, or from the keyboard (the arrows move a day or a week, Page Up and Page Down a month,
// Home and End to the year's first and last day). Hovering a day shows its date and the titles
// of its holidays in a tooltip.
class YearViewMonths : public QWidget {
public:
    explicit YearViewMonths(QWidget* parent = nullptr);

    // Shows holidays (which must outlive this, until the next call) in the settings' names;
    // the selected day stays when it lies in the year.
    void SetYear(const rules::YearHolidays& holidays, const rules::LocaleDateSettings& settings);

    [[nodiscard]] std::optional<rules::CalendarDate> SelectedDate() const noexcept {
        return mSelected;
    }
    // Selects date when it lies in the shown year (else nothing), without telling OnSelected.
    void SelectDate(std::optional<rules::CalendarDate> date);

    // Where date is drawn, in this widget's coordinates.
    [[nodiscard]] QRect DayRect(rules::CalendarDate date) const;
    // The text of the tooltip for date: its date and the titles of its holidays, one a line.
    [[nodiscard]] QString DayText(rules::CalendarDate date) const;

    // Told when the user selected a day.
    std::function<void(rules::CalendarDate)> OnSelected;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Choose(rules::CalendarDate date);

    const rules::YearHolidays* mHolidays = nullptr;
    const rules::LocaleDateSettings* mSettings = nullptr;
    std::unique_ptr<YearViewSheet> mSheet;
    std::optional<rules::CalendarDate> mSelected;
};

// The shown date, title lines of the holidays on date (each cut to one line of a bounded
// length).
[[nodiscard]] QString HolidayLines(const rules::YearHolidays& holidays,
                                   const rules::LocaleDateSettings& settings,
                                   rules::CalendarDate date);

} // namespace app
