#include "app/YearViewMonths.h"

#include "app/ErrorDisplay.h"
#include "app/ShownText.h"
#include "rules/DateConversion.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace app {

namespace {

// A title shows at most this many characters in a tooltip or a line of the dialog.
constexpr qsizetype MaxTitleShown = 200;

} // namespace

QString HolidayLines(const rules::YearHolidays& holidays, const rules::LocaleDateSettings& settings,
                     rules::CalendarDate date) {
    QString text = FromUtf8(rules::FormatShortDate(date, settings));
    for (const rules::YearHoliday& holiday : holidays.On(date)) {
        text += u'\n';
        text += ElidedLine(holiday.Title, MaxTitleShown);
    }
    return text;
}

YearViewMonths::YearViewMonths(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setAccessibleName(QStringLiteral("months"));
}

void YearViewMonths::SetYear(const rules::YearHolidays& holidays,
                             const rules::LocaleDateSettings& settings) {
    mHolidays = &holidays;
    mSettings = &settings;
    mSheet = std::make_unique<YearViewSheet>(holidays, settings, QString());
    if (mSelected && mSelected->Year() != holidays.Year()) {
        mSelected.reset();
    }
    setAccessibleDescription(mSelected ? DayText(*mSelected) : QString());
    update();
}

void YearViewMonths::SelectDate(std::optional<rules::CalendarDate> date) {
    if (date && (mHolidays == nullptr || date->Year() != mHolidays->Year())) {
        date.reset();
    }
    if (date != mSelected) {
        mSelected = date;
        setAccessibleDescription(mSelected ? DayText(*mSelected) : QString());
        update();
    }
}

QRect YearViewMonths::DayRect(rules::CalendarDate date) const {
    return mSheet ? mSheet->DayRect(QRectF(rect()), date).toAlignedRect() : QRect();
}

QString YearViewMonths::DayText(rules::CalendarDate date) const {
    return mHolidays != nullptr ? HolidayLines(*mHolidays, *mSettings, date) : QString();
}

QSize YearViewMonths::sizeHint() const {
    return {760, 520};
}

QSize YearViewMonths::minimumSizeHint() const {
    return {480, 330};
}

bool YearViewMonths::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        RunGuarded(this, [this, help] {
            const auto date = mSheet ? mSheet->DateAt(QRectF(rect()), help->pos()) : std::nullopt;
            if (date) {
                QToolTip::showText(help->globalPos(), DayText(*date), this, DayRect(*date));
            } else {
                QToolTip::hideText();
            }
        });
        return true;
    }
    return QWidget::event(event);
}

void YearViewMonths::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (!mSheet) {
        painter.fillRect(rect(), palette().color(QPalette::Base));
        return;
    }
    mSheet->Paint(painter, QRectF(rect()), palette(), mSelected, hasFocus());
}

void YearViewMonths::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && mSheet) {
        if (const auto date = mSheet->DateAt(QRectF(rect()), event->position())) {
            RunGuarded(this, [this, date] { Choose(*date); });
        }
    }
    QWidget::mousePressEvent(event);
}

void YearViewMonths::keyPressEvent(QKeyEvent* event) {
    if (mHolidays == nullptr) {
        QWidget::keyPressEvent(event);
        return;
    }
    const std::int32_t year = mHolidays->Year();
    const rules::CalendarDate first = rules::CalendarDate::FromYmd(year, 1, 1);
    const rules::CalendarDate last = rules::CalendarDate::FromYmd(year, 12, 31);
    const rules::CalendarDate from = mSelected.value_or(first);
    std::optional<std::int64_t> step;
    switch (event->key()) {
    case Qt::Key_Left:
        step = -1;
        break;
    case Qt::Key_Right:
        step = 1;
        break;
    case Qt::Key_Up:
        step = -7;
        break;
    case Qt::Key_Down:
        step = 7;
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const bool up = event->key() == Qt::Key_PageUp;
        const int month = std::clamp(from.Month() + (up ? -1 : 1), 1, 12);
        int day = from.Day();
        while (!rules::CalendarDate::IsValidYmd(year, month, day)) {
            --day;
        }
        step = rules::CalendarDate::FromYmd(year, month, day).DayNumber() - from.DayNumber();
        break;
    }
    case Qt::Key_Home:
        step = first.DayNumber() - from.DayNumber();
        break;
    case Qt::Key_End:
        step = last.DayNumber() - from.DayNumber();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (!mSelected) {
        step = 0; // the first key selects the year's first day
    }
    const std::int64_t target =
        std::clamp(from.DayNumber() + *step, first.DayNumber(), last.DayNumber());
    RunGuarded(this, [&] { Choose(first.AddDays(target - first.DayNumber())); });
    event->accept();
}

void YearViewMonths::Choose(rules::CalendarDate date) {
    SelectDate(date);
    if (OnSelected) {
        OnSelected(date);
    }
}

} // namespace app
