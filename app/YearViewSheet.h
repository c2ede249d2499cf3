#pragma once

#include "rules/CalendarDate.h"
#include "rules/LocaleDateSettings.h"
#include "rules/YearHolidays.h"

#include <QColor>
#include <QPalette>
#include <QRectF>
#include <QString>
#include <optional>

class QPainter;

namespace app {

// The calendar's colours of the days: Sundays and the days marked "#" in Sunday's, Saturdays
// and the days marked "*" in Saturday's.
inline const QColor SundayColour{0xc6, 0x28, 0x28};
inline const QColor SaturdayColour{0x15, 0x65, 0xc0};

// One year of one configuration drawn as the calendar shows it: a caption over twelve month
// grids, four across and three down, each with the month's name, the weekdays from Monday to
// Sunday and its weeks. A day takes the colour of its weekday or, when greater, of its holidays
// (rules::DayColour), and a holiday's number is bold on a background tinted with that colour.
// The same drawing serves the screen, the PNG and the PDF: everything scales with the area.
class YearViewSheet {
public:
    // holidays and settings must outlive the sheet.
    YearViewSheet(const rules::YearHolidays& holidays, const rules::LocaleDateSettings& settings,
                  QString caption);

    // Draws the sheet into area in the palette's Base, Text and Highlight colours; selected
    // (when given) is framed, thicker when focused.
    void Paint(QPainter& painter, const QRectF& area, const QPalette& palette,
               std::optional<rules::CalendarDate> selected = std::nullopt,
               bool focused = false) const;

    // The day of the year drawn at point, for an area as given to Paint.
    [[nodiscard]] std::optional<rules::CalendarDate> DateAt(const QRectF& area,
                                                            QPointF point) const;
    // Where Paint draws date (a day of the year; an empty rect for any other).
    [[nodiscard]] QRectF DayRect(const QRectF& area, rules::CalendarDate date) const;

    // The colour a day's number is drawn in (text for a plain weekday).
    [[nodiscard]] QColor DayTextColour(rules::CalendarDate date, const QColor& text) const;

private:
    struct Layout;
    [[nodiscard]] Layout LayoutOf(const QRectF& area) const;
    void PaintMonth(QPainter& painter, const Layout& layout, int month, const QPalette& palette,
                    std::optional<rules::CalendarDate> selected, bool focused) const;

    const rules::YearHolidays& mHolidays;
    const rules::LocaleDateSettings& mSettings;
    QString mCaption;
};

// The colour of a date's weekday or of its holidays, whichever is greater.
[[nodiscard]] std::optional<rules::DayColour> ColourOfDay(const rules::YearHolidays& holidays,
                                                          rules::CalendarDate date);

} // namespace app
