#include "app/YearViewSheet.h"

#include "app/ShownText.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <utility>

namespace app {

namespace {

constexpr int MonthColumns = 4;
constexpr int MonthRows = 3;
constexpr int DaysAWeek = 7;
// A month block: its name, the weekday names and at most six weeks.
constexpr int BlockLines = 8;
constexpr int WeekLines = 6;

// Monday 0 .. Sunday 6.
int MondayFirst(rules::CalendarDate date) noexcept {
    return (date.DayOfWeek() + 5) % DaysAWeek;
}

int DaysInMonth(std::int32_t year, int month) noexcept {
    int days = 28;
    while (days < 31 && rules::CalendarDate::IsValidYmd(year, month, days + 1)) {
        ++days;
    }
    return days;
}

QColor Blend(const QColor& base, const QColor& colour, double share) {
    const auto mix = [share](int a, int b) {
        return static_cast<int>(a * (1.0 - share) + b * share + 0.5);
    };
    return {mix(base.red(), colour.red()), mix(base.green(), colour.green()),
            mix(base.blue(), colour.blue())};
}

QColor ColourOf(rules::DayColour colour, const QColor& text) {
    switch (colour) {
    case rules::DayColour::Sunday:
        return SundayColour;
    case rules::DayColour::Saturday:
        return SaturdayColour;
    case rules::DayColour::TitleOnly:
        break;
    }
    return text;
}

} // namespace

std::optional<rules::DayColour> ColourOfDay(const rules::YearHolidays& holidays,
                                            rules::CalendarDate date) {
    std::optional<rules::DayColour> colour = holidays.ColourOn(date);
    const int weekday = date.DayOfWeek();
    const auto ofWeekday = weekday == 1   ? std::optional(rules::DayColour::Sunday)
                           : weekday == 7 ? std::optional(rules::DayColour::Saturday)
                                          : std::nullopt;
    if (ofWeekday && (!colour || *colour < *ofWeekday)) {
        colour = ofWeekday;
    }
    return colour;
}

struct YearViewSheet::Layout {
    QRectF Caption;
    QRectF Months;
    double BlockWidth = 0;
    double BlockHeight = 0;
    double CellWidth = 0;
    double CellHeight = 0;
    double Margin = 0;
    int FontPixels = 1;

    [[nodiscard]] QRectF Block(int month) const {
        const int index = month - 1;
        return {Months.left() + (index % MonthColumns) * BlockWidth,
                Months.top() + (index / MonthColumns) * BlockHeight, BlockWidth, BlockHeight};
    }
    // Line 0 is the month's name, line 1 the weekdays, lines 2 to 7 the weeks.
    [[nodiscard]] QRectF Cell(int month, int line, int column) const {
        const QRectF block = Block(month);
        return {block.left() + Margin + column * CellWidth, block.top() + line * CellHeight,
                CellWidth, CellHeight};
    }
};

YearViewSheet::YearViewSheet(const rules::YearHolidays& holidays,
                             const rules::LocaleDateSettings& settings, QString caption)
    : mHolidays(holidays), mSettings(settings), mCaption(std::move(caption)) {}

YearViewSheet::Layout YearViewSheet::LayoutOf(const QRectF& area) const {
    Layout layout;
    const double captionHeight = mCaption.isEmpty() ? 0.0 : std::max(area.height() * 0.07, 1.0);
    layout.Caption = QRectF(area.left(), area.top(), area.width(), captionHeight);
    layout.Months = area.adjusted(0, captionHeight, 0, 0);
    layout.BlockWidth = layout.Months.width() / MonthColumns;
    layout.BlockHeight = layout.Months.height() / MonthRows;
    layout.Margin = layout.BlockWidth * 0.06;
    layout.CellWidth = (layout.BlockWidth - 2 * layout.Margin) / DaysAWeek;
    layout.CellHeight = layout.BlockHeight / (BlockLines + 0.5);
    layout.FontPixels =
        std::max(1, static_cast<int>(std::min(layout.CellHeight * 0.6, layout.CellWidth * 0.45)));
    return layout;
}

QColor YearViewSheet::DayTextColour(rules::CalendarDate date, const QColor& text) const {
    const auto colour = ColourOfDay(mHolidays, date);
    return colour ? ColourOf(*colour, text) : text;
}

void YearViewSheet::Paint(QPainter& painter, const QRectF& area, const QPalette& palette,
                          std::optional<rules::CalendarDate> selected, bool focused) const {
    const Layout layout = LayoutOf(area);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(area, palette.color(QPalette::Base));
    if (!mCaption.isEmpty()) {
        QFont font = painter.font();
        font.setPixelSize(std::max(1, static_cast<int>(layout.Caption.height() * 0.55)));
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(palette.color(QPalette::Text));
        painter.drawText(layout.Caption, Qt::AlignCenter | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(mCaption, Qt::ElideRight,
                                                          static_cast<int>(area.width())));
    }
    for (int month = 1; month <= 12; ++month) {
        PaintMonth(painter, layout, month, palette, selected, focused);
    }
    painter.restore();
}

void YearViewSheet::PaintMonth(QPainter& painter, const Layout& layout, int month,
                               const QPalette& palette, std::optional<rules::CalendarDate> selected,
                               bool focused) const {
    const QColor text = palette.color(QPalette::Text);
    QFont font = painter.font();
    font.setPixelSize(layout.FontPixels);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(text);
    const QRectF nameLine = layout.Cell(month, 0, 0);
    painter.drawText(
        QRectF(nameLine.left(), nameLine.top(), layout.CellWidth * DaysAWeek, nameLine.height()),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        FromUtf8(mSettings.LongMonthNames[static_cast<std::size_t>(month - 1)]));

    font.setBold(false);
    painter.setFont(font);
    for (int column = 0; column < DaysAWeek; ++column) {
        // The names are held Sunday first.
        const auto name = mSettings.ShortDayNames[static_cast<std::size_t>((column + 1) % 7)];
        painter.setPen(column == 6 ? SundayColour : column == 5 ? SaturdayColour : text);
        painter.drawText(layout.Cell(month, 1, column), Qt::AlignCenter | Qt::TextSingleLine,
                         FromUtf8(name).left(2));
    }

    const std::int32_t year = mHolidays.Year();
    const rules::CalendarDate first = rules::CalendarDate::FromYmd(year, month, 1);
    const int lead = MondayFirst(first);
    const int days = DaysInMonth(year, month);
    for (int day = 1; day <= days; ++day) {
        const rules::CalendarDate date = first.AddDays(day - 1);
        const int slot = lead + day - 1;
        const QRectF cell = layout.Cell(month, 2 + slot / DaysAWeek, slot % DaysAWeek);
        const auto holidays = mHolidays.On(date);
        const QColor colour = DayTextColour(date, text);
        if (!holidays.empty()) {
            const QColor tint = ColourOf(*mHolidays.ColourOn(date), text);
            const rules::DayColour strongest = *mHolidays.ColourOn(date);
            painter.fillRect(cell.adjusted(1, 1, -1, -1),
                             Blend(palette.color(QPalette::Base), tint,
                                   strongest == rules::DayColour::TitleOnly ? 0.1 : 0.16));
        }
        if (selected && *selected == date) {
            const double width = std::max(1.0, layout.CellHeight * (focused ? 0.12 : 0.07));
            painter.setPen(QPen(palette.color(QPalette::Highlight), width));
            painter.drawRect(cell.adjusted(width / 2, width / 2, -width / 2, -width / 2));
        }
        font.setBold(!holidays.empty());
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, QString::number(day));
    }
}

std::optional<rules::CalendarDate> YearViewSheet::DateAt(const QRectF& area, QPointF point) const {
    const Layout layout = LayoutOf(area);
    if (!layout.Months.contains(point) || layout.CellWidth <= 0 || layout.CellHeight <= 0) {
        return std::nullopt;
    }
    const int index =
        std::min(MonthColumns - 1,
                 static_cast<int>((point.x() - layout.Months.left()) / layout.BlockWidth)) +
        MonthColumns * std::min(MonthRows - 1, static_cast<int>((point.y() - layout.Months.top()) /
                                                                layout.BlockHeight));
    const int month = index + 1;
    const QRectF block = layout.Block(month);
    const double x = point.x() - block.left() - layout.Margin;
    const int line = static_cast<int>((point.y() - block.top()) / layout.CellHeight);
    if (x < 0 || line < 2 || line >= 2 + WeekLines) {
        return std::nullopt;
    }
    const int column = static_cast<int>(x / layout.CellWidth);
    if (column >= DaysAWeek) {
        return std::nullopt;
    }
    const std::int32_t year = mHolidays.Year();
    const rules::CalendarDate first = rules::CalendarDate::FromYmd(year, month, 1);
    const int day = (line - 2) * DaysAWeek + column - MondayFirst(first) + 1;
    if (day < 1 || day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return first.AddDays(day - 1);
}

QRectF YearViewSheet::DayRect(const QRectF& area, rules::CalendarDate date) const {
    if (date.Year() != mHolidays.Year()) {
        return {};
    }
    const Layout layout = LayoutOf(area);
    const rules::CalendarDate first = rules::CalendarDate::FromYmd(date.Year(), date.Month(), 1);
    const int slot = MondayFirst(first) + date.Day() - 1;
    return layout.Cell(date.Month(), 2 + slot / DaysAWeek, slot % DaysAWeek);
}

} // namespace app
