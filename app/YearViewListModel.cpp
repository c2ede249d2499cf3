#include "app/YearViewListModel.h"

#include "app/ShownText.h"
#include "app/YearViewSheet.h"
#include "rules/DateConversion.h"

#include <QBrush>
#include <limits>

namespace app {

namespace {

// A row shows at most this many characters of a title.
constexpr qsizetype MaxTitleShown = 200;

} // namespace

YearViewListModel::YearViewListModel(QObject* parent) : QAbstractListModel(parent) {}

void YearViewListModel::SetHolidays(const rules::YearHolidays* holidays,
                                    const rules::LocaleDateSettings* settings) {
    beginResetModel();
    mHolidays = holidays;
    mSettings = settings;
    endResetModel();
}

const rules::YearHoliday* YearViewListModel::HolidayAt(int row) const noexcept {
    if (mHolidays == nullptr || row < 0 ||
        static_cast<std::size_t>(row) >= mHolidays->Holidays().size()) {
        return nullptr;
    }
    return &mHolidays->Holidays()[static_cast<std::size_t>(row)];
}

int YearViewListModel::FirstRowOn(rules::CalendarDate date) const noexcept {
    if (mHolidays == nullptr) {
        return -1;
    }
    const auto on = mHolidays->On(date);
    return on.empty() ? -1 : static_cast<int>(on.data() - mHolidays->Holidays().data());
}

int YearViewListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || mHolidays == nullptr) {
        return 0;
    }
    return static_cast<int>(
        std::min<std::size_t>(mHolidays->Holidays().size(), std::numeric_limits<int>::max()));
}

QVariant YearViewListModel::data(const QModelIndex& index, int role) const {
    const rules::YearHoliday* holiday = index.isValid() ? HolidayAt(index.row()) : nullptr;
    if (holiday == nullptr) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return FromUtf8(rules::FormatShortDate(holiday->Date, *mSettings) + ": ") +
               ElidedLine(holiday->Title, MaxTitleShown);
    case Qt::ToolTipRole:
        return ElidedLine(holiday->Title, MaxTitleShown);
    case Qt::ForegroundRole:
        if (holiday->Colour == rules::DayColour::Sunday) {
            return QBrush(SundayColour);
        }
        if (holiday->Colour == rules::DayColour::Saturday) {
            return QBrush(SaturdayColour);
        }
        return {};
    default:
        return {};
    }
}

} // namespace app
