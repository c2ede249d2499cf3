#include "rules/CalendarDate.h"

#include "holiday/Exception.h"

namespace rules {

namespace {

constexpr const char* EncodeDateMessage = "Ungültiges Argument zum Codieren des Datums";

constexpr bool IsLeapYear(std::int64_t year) noexcept {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days since 1 January 1970 of a proleptic Gregorian date (years 1 and later).
constexpr std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month,
                                     std::int64_t day) noexcept {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = year / 400; // year >= 0 here, so truncation is the floor
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t shiftedMonth = month > 2 ? month - 3 : month + 9; // March is 0
    const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr std::int64_t MinDay = DaysFromCivil(1, 1, 1);
constexpr std::int64_t MaxDay = DaysFromCivil(9999, 12, 31);

static_assert(DaysFromCivil(1970, 1, 1) == 0);
static_assert(DaysFromCivil(2000, 3, 1) == 11017);

[[noreturn]] void ThrowEncodeError() {
    throw holiday::EConvertError(EncodeDateMessage);
}

} // namespace

bool CalendarDate::IsValidYmd(std::int32_t year, std::int32_t month, std::int32_t day) noexcept {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    static constexpr std::int32_t MonthLengths[12] = {31, 28, 31, 30, 31, 30,
                                                      31, 31, 30, 31, 30, 31};
    std::int32_t length = MonthLengths[month - 1];
    if (month == 2 && IsLeapYear(year)) {
        length = 29;
    }
    return day <= length;
}

CalendarDate CalendarDate::FromYmd(std::int32_t year, std::int32_t month, std::int32_t day) {
    if (!IsValidYmd(year, month, day)) {
        ThrowEncodeError();
    }
    return CalendarDate(DaysFromCivil(year, month, day));
}

CalendarDate CalendarDate::AddDays(std::int64_t days) const {
    // mDays lies in MinDay..MaxDay, so neither difference overflows.
    if (days < MinDay - mDays || days > MaxDay - mDays) {
        ThrowEncodeError();
    }
    return CalendarDate(mDays + days);
}

int CalendarDate::DayOfWeek() const noexcept {
    // 1 January 1970 was a Thursday (5); the remainder is taken non-negative.
    const std::int64_t fromSunday = ((mDays + 4) % 7 + 7) % 7;
    return static_cast<int>(fromSunday) + 1;
}

CalendarDate::Ymd CalendarDate::ToYmd() const noexcept {
    // Days since 1 March of year 0: 0 .. about 3.65 million, so 32 bits suffice.
    const auto z = static_cast<std::int32_t>(mDays + 719468);
    const std::int32_t era = z / 146097;
    const std::int32_t dayOfEra = z - era * 146097;
    const std::int32_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int32_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const std::int32_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const std::int32_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const std::int32_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

std::int32_t CalendarDate::Year() const noexcept {
    return ToYmd().Year;
}
std::int32_t CalendarDate::Month() const noexcept {
    return ToYmd().Month;
}
std::int32_t CalendarDate::Day() const noexcept {
    return ToYmd().Day;
}

} // namespace rules
